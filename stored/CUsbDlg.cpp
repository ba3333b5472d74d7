#include "stored/CUsbDlg.h"

#include "records/InstrumentFile.h"
#include "stored/ReportList.h"
#include "widgets/DialogUnits.h"
#include "widgets/Fonts.h"
#include "widgets/MessageBox.h"
#include "widgets/UiThread.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <cerrno>
#include <unistd.h>

namespace zel {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CUsbDlg::CUsbDlg(RemovableDriveLister drives, QWidget* parent, std::string recordDirectory)
    : CMyDialog(parent, false), drives_(std::move(drives)) {
    convert_ = [recordDirectory](const std::string& path, const RecordFileDone& onFileDone) {
        ConvertInstrumentFile(path, onFileDone, recordDirectory);
    };
    setFont(ShellDlgFont(8));
    const DialogUnits du(font());
    resize(du.X(681), du.Y(388));
    SetTitle(tr("Velquist-文件分析"));
    CreateControls();
    Refresh();
}

CUsbDlg::~CUsbDlg() {
    // The window cannot be closed during an analysis, but it can be taken down with the
    // program; the conversion of the current file is short and then the worker ends.
    if (worker_.joinable())
        worker_.join();
}

QPushButton* CUsbDlg::AddButton(int id, const QString& caption, const QRect& units) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::number(id));
    button->setGeometry(DialogUnits(font()).ToPixels(units));
    button->setAutoDefault(false);
    return button;
}

QCheckBox* CUsbDlg::AddTickAll(int id, const QRect& units, ReportList* list) {
    auto* box = new QCheckBox(tr("全部选择"), this);
    box->setObjectName(QString::number(id));
    box->setGeometry(DialogUnits(font()).ToPixels(units).adjusted(0, -3, 30, 3));
    connect(box, &QCheckBox::clicked, this, [list](bool ticked) { list->SetAllTicked(ticked); });
    return box;
}

void CUsbDlg::CreateControls() {
    const DialogUnits du(font());
    const QStringList fileHeaders = {tr("序号"), tr("文件名"), tr("传输时间"), tr("设备号")};
    files_ = new ReportList(fileHeaders, this);
    files_->setObjectName(QString::number(kFileList));
    files_->setGeometry(du.ToPixels(2, 17, 588, 160));

    const QStringList recordHeaders = {tr("序号"), tr("文件名"), tr("开始时间"), tr("数据数")};
    records_ = new ReportList(recordHeaders, this);
    records_->setObjectName(QString::number(kRecordList));
    records_->setGeometry(du.ToPixels(2, 179, 588, 207));

    QPushButton* refresh = AddButton(kRefreshButton, tr("刷新"), {594, 35, 84, 20});
    connect(refresh, &QPushButton::clicked, this, &CUsbDlg::Refresh);
    QCheckBox* tickFiles = AddTickAll(kTickAllFiles, {631, 85, 48, 10}, files_);
    QPushButton* deleteFiles = AddButton(kDeleteFilesButton, tr("删除"), {594, 102, 84, 20});
    connect(deleteFiles, &QPushButton::clicked, this, [this] { DeleteTicked(files_); });
    QPushButton* analyse = AddButton(kAnalyseButton, tr("分析"), {594, 129, 84, 20});
    connect(analyse, &QPushButton::clicked, this, &CUsbDlg::OnAnalyse);
    analysisControls_ = {refresh, deleteFiles, analyse, tickFiles};

    statusText_ = new QLabel(this);
    statusText_->setObjectName(QString::number(kStatusText));
    statusText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    statusText_->setGeometry(du.ToPixels(597, 155, 77, 8).adjusted(0, -2, 0, 4));

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QString::number(kProgress));
    progress_->setGeometry(du.ToPixels(595, 165, 81, 12));
    progress_->setTextVisible(false);
    progress_->setRange(0, 100);
    progress_->setValue(0);

    AddTickAll(kTickAllRecords, {632, 323, 48, 10}, records_);
    QPushButton* deleteRecords = AddButton(kDeleteRecordsButton, tr("删除"), {594, 340, 84, 20});
    connect(deleteRecords, &QPushButton::clicked, this, [this] { DeleteTicked(records_); });
}

void CUsbDlg::Refresh() {
    files_->clear();
    const std::vector<InstrumentFileEntry> found =
        ScanInstrumentFiles(drives_ ? drives_() : std::vector<std::string>());
    for (std::size_t i = 0; i < found.size(); ++i)
        files_->AppendRow({QString::number(i), FromUtf8(found[i].path),
                           FromUtf8(found[i].transferTime), QString::number(found[i].deviceNumber)},
                          found[i].path);
}

void CUsbDlg::DeleteTicked(ReportList* list) {
    const std::size_t count = list->TickedRows().size();
    if (count == 0)
        return;
    // The files may be the only copy of the instrument's recordings: ask first.
    const QString question =
        tr("确定要删除选中的文件吗?\n共%1个文件").arg(static_cast<qulonglong>(count));
    if (MessageBox::Question(this, question) != MessageBox::Answer::Yes)
        return;
    // Rows are taken afresh after the question: the analysis may have appended rows meanwhile
    // (appended unticked, at the end). Removal runs bottom up on this thread alone, so it never
    // meets a row the worker adds.
    QStringList failed;
    const std::vector<int> rows = list->TickedRows();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const std::string path = list->Path(*row);
        // A file that is already gone needs no deleting; any other failure keeps its row.
        if (::unlink(path.c_str()) == 0 || errno == ENOENT)
            list->RemoveRow(*row);
        else
            failed.prepend(list->Cell(*row, 1));
    }
    if (!failed.isEmpty())
        MessageBox::Error(this, tr("以下文件无法删除:\n") + failed.join(QLatin1Char('\n')));
}

void CUsbDlg::SetAnalysisControlsEnabled(bool enabled) {
    for (QWidget* control : analysisControls_)
        control->setEnabled(enabled);
}

void CUsbDlg::OnAnalyse() {
    // Marked and disabled here, before anything else can run, so no second analysis can start
    // between the click and the worker.
    if (analysing_.exchange(true))
        return;
    statusText_->setText(tr("开始分析..."));
    SetAnalysisControlsEnabled(false);

    std::vector<std::string> paths;
    for (const int row : files_->TickedRows())
        paths.push_back(files_->Path(row));
    if (paths.empty()) {
        MessageBox::Error(this, tr("请选择需分析文件!"));
        FinishAnalysis();
        return;
    }
    records_->clear();
    progress_->setRange(0, static_cast<int>(paths.size()));
    progress_->setValue(0);
    if (worker_.joinable())
        worker_.join();
    worker_ = std::thread(&CUsbDlg::RunAnalysis, this, std::move(paths), convert_);
}

void CUsbDlg::RunAnalysis(std::vector<std::string> paths, Converter convert) {
    for (std::size_t done = 0; done < paths.size(); ++done) {
        convert(paths[done], [this](const RecordFileSummary& s) {
            RunOnObjectThread(this, [this, s] {
                records_->AppendRow({QString::number(s.number), FromUtf8(s.path),
                                     FromUtf8(s.startTime), QString::number(s.blocks)},
                                    s.path);
            });
        });
        const int position = static_cast<int>(done + 1);
        RunOnObjectThread(this, [this, position] { progress_->setValue(position); });
    }
    RunOnObjectThread(this, [this] { FinishAnalysis(); });
}

void CUsbDlg::FinishAnalysis() {
    statusText_->setText(tr("分析完成..."));
    SetAnalysisControlsEnabled(true);
    // The worker's last act was to queue this call, so it has ended or is about to.
    if (worker_.joinable())
        worker_.join();
    analysing_.store(false);
}

bool CUsbDlg::CanClose() {
    return !analysing_.load();
}

} // namespace zel
