#include "viewer/ViewerStatistics.h"
#include "PlotTestSupport.h"
#include "ViewerTestSupport.h"
#include "cli/CliApp.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/EventLimitsConfig.h"
#include "records/RecordFile.h"
#include "records/RecordStatistics.h"
#include "tests/support/TempDir.h"
#include "viewer/CEventDlg.h"
#include "viewer/CStatDlg.h"
#include "viewer/StatisticsTable.h"
#include "viewer/ViewerEvents.h"
#include "viewer/ViewerJob.h"
#include "widgets/FileDialog.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

namespace zel {
namespace {

using test::ViewerUnderTest;

std::string Local8(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Answers every file dialog with the given path and keeps the requests.
struct FileAnswer {
    explicit FileAnswer(QString path)
        : handler([this, path](const FileDialog::Request& request) {
              requests.push_back(request);
              return path;
          }) {}
    std::vector<FileDialog::Request> requests;
    ScopedFileDialogHandler handler;
};

QString WaveRecord(const QString& dir, int blocks = 400) {
    std::vector<WaveBlock> waves;
    for (int b = 0; b < blocks; ++b)
        waves.push_back(test::MainsBlock(b, 150, 90));
    return test::WriteWaveformRecord(dir, waves, test::DriftingCurrents(blocks, 3));
}

// A long waveform record, written in one go.
QString LongWaveRecord(const QString& dir, int blocks) {
    const std::string path = CreateWaveformRecord("R", 12, 1203, Local8(dir));
    std::vector<SampleBlock> all(static_cast<std::size_t>(blocks));
    for (int b = 0; b < blocks; ++b) {
        all[b].ch1Current = static_cast<std::uint32_t>(b % 500);
        std::fill(std::begin(all[b].ch1), std::end(all[b].ch1),
                  static_cast<std::int16_t>(b % 2000));
    }
    EXPECT_TRUE(AppendRecordBlock(path, all.data(), all.size() * sizeof(SampleBlock)));
    return QFile::decodeName(path.c_str());
}

QString TrendRecord(const QString& dir) {
    return test::WriteTrendRecord(dir, test::DriftingCurrents(620, 4));
}

ViewerStatistics& Tools(ViewerUnderTest& t) {
    return *t.viewer->Statistics();
}

// Clicks one of the buttons and waits until its job has handed back its result.
void ClickAndWait(ViewerUnderTest& t, int id) {
    QSignalSpy finished(&Tools(t), &ViewerStatistics::JobFinished);
    Tools(t).Button(id)->click();
    ASSERT_TRUE(Tools(t).Busy()); // handed to the job's thread; the window goes on
    ASSERT_TRUE(finished.wait(10000));
}

void SendMouse(QWidget* widget, QEvent::Type type, int x, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    const QPointF at(x, widget->height() / 2);
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void RightDrag(QWidget* plot, int from, int to) {
    SendMouse(plot, QEvent::MouseButtonPress, from, Qt::RightButton, Qt::RightButton);
    SendMouse(plot, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::RightButton);
    SendMouse(plot, QEvent::MouseMove, to, Qt::NoButton, Qt::RightButton);
    SendMouse(plot, QEvent::MouseButtonRelease, to, Qt::RightButton, Qt::NoButton);
}

// zelmarine-cli stats for the times of points first … last, parsed.
QJsonObject CliStats(const QString& path, std::int64_t first, std::int64_t last) {
    const auto image = ReadRecordImage(Local8(path));
    EXPECT_TRUE(image);
    const RecordPoints points(*image);
    EXPECT_FALSE(points.HalfSecond(first) || points.HalfSecond(last));
    std::ostringstream out, err;
    EXPECT_EQ(cli::RunCli({"stats", Local8(path), "--from", points.TimeText(first), "--to",
                           points.TimeText(last), "--json"},
                          out, err),
              0)
        << err.str();
    return QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
}

QString Number(const QJsonValue& value, bool decimals) {
    return decimals ? QString::number(value.toDouble(), 'f', 2)
                    : QString::number(value.toInteger());
}

// The statistics window shows what the command-line tool prints for the same points.
void ExpectSameNumbers(const CStatDlg& window, const QJsonObject& json, bool samples) {
    EXPECT_TRUE(window.RangeText().contains(QString::number(json["points"].toInteger())));
    EXPECT_TRUE(window.RangeText().contains(json["start"].toString()));
    EXPECT_TRUE(window.RangeText().contains(json["end"].toString()));
    for (int ch = 0; ch < 2; ++ch) {
        const QJsonObject c = json[ch == 0 ? "ch1" : "ch2"].toObject();
        EXPECT_EQ(window.Cell(ch, 1), Number(c["min"], false));
        EXPECT_EQ(window.Cell(ch, 2), c["minTime"].toString());
        EXPECT_EQ(window.Cell(ch, 3), Number(c["max"], false));
        EXPECT_EQ(window.Cell(ch, 4), c["maxTime"].toString());
        EXPECT_EQ(window.Cell(ch, 5), Number(c["mean"], true));
        EXPECT_EQ(window.Cell(ch, 6), Number(c["rms"], true));
    }
    const QJsonObject d = json["difference"].toObject();
    EXPECT_EQ(window.Cell(2, 1), Number(d["min"], false));
    EXPECT_EQ(window.Cell(2, 3), Number(d["max"], false));
    EXPECT_EQ(window.Cell(2, 5), Number(d["mean"], true));
    const QJsonObject u = json["unbalance"].toObject();
    EXPECT_EQ(window.Cell(3, 3), Number(u["max"], false));
    EXPECT_EQ(window.Cell(3, 5), Number(u["mean"], true));
    ASSERT_EQ(window.RowCount(), samples ? 6 : 4);
    if (!samples)
        return;
    for (int ch = 0; ch < 2; ++ch) {
        const QJsonObject s = json["samples"][ch == 0 ? "ch1" : "ch2"].toObject();
        EXPECT_EQ(window.Cell(4 + ch, 1), Number(s["min"], false));
        EXPECT_EQ(window.Cell(4 + ch, 3), Number(s["max"], false));
        EXPECT_EQ(window.Cell(4 + ch, 6), Number(s["rms"], true));
    }
}

QString RunTool(const QString& program, const QStringList& arguments) {
    const QString found = QStandardPaths::findExecutable(program);
    EXPECT_FALSE(found.isEmpty()) << program.toStdString() << " is missing (scripts/setup.sh)";
    QProcess process;
    process.start(found, arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(ViewerStatistics, ButtonsSitInTheTitleStripAndFollowTheViewersState) {
    const test::TempDir temp;
    ViewerUnderTest t;
    const auto buttons = {ViewerStatistics::kStatistics, ViewerStatistics::kExportReport,
                          ViewerStatistics::kExportCsv};
    for (int id : buttons) {
        const QRect box = t.Control(id)->geometry();
        EXPECT_GE(box.top(), 0);
        EXPECT_LE(box.bottom(), CMyDialog::kStripHeight - 1);
        EXPECT_LT(box.right(), t.viewer->CloseRect().left());
        EXPECT_FALSE(t.Enabled(id)); // nothing to work on yet
    }
    ASSERT_TRUE(t.viewer->OpenRecord(TrendRecord(QString::fromStdString(temp.path()))));
    for (int id : buttons)
        EXPECT_TRUE(t.Enabled(id));
    t.viewer->Button(CViewDlg::kPlay)->click(); // a trend record plays at once
    ASSERT_TRUE(t.viewer->Playing());
    for (int id : buttons)
        EXPECT_FALSE(t.Enabled(id));
    t.viewer->Button(CViewDlg::kPlay)->click();
    for (int id : buttons)
        EXPECT_TRUE(t.Enabled(id));
}

TEST(ViewerStatistics, ViewAndSelectionShowWhatTheCliPrints) {
    const test::TempDir temp;
    const QString path = TrendRecord(QString::fromStdString(temp.path()));
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(path));
    CCurseWnd* trend = t.viewer->TrendPlot();

    // No selection: the view, points 0 … 300.
    ClickAndWait(t, ViewerStatistics::kStatistics);
    CStatDlg* window = Tools(t).StatisticsWindow();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_TRUE(window->RangeText().startsWith(QStringLiteral("当前视图")));
    ExpectSameNumbers(*window, CliStats(path, 0, 300), false);

    trend->SetSelection(250, 40);
    ClickAndWait(t, ViewerStatistics::kStatistics);
    EXPECT_TRUE(window->RangeText().startsWith(QStringLiteral("选定范围")));
    ExpectSameNumbers(*window, CliStats(path, 40, 250), false);

    // The view after scrolling, of a waveform record with its samples: points 60 … 360.
    const QString wave = WaveRecord(QString::fromStdString(temp.path()));
    ASSERT_TRUE(t.viewer->OpenRecord(wave));
    EXPECT_FALSE(window->isVisible()); // its numbers were about the other record
    EXPECT_FALSE(trend->Selection());  // so was the selection
    trend->Scroll(ScrollRequest::ThumbTrack, 60);
    ClickAndWait(t, ViewerStatistics::kStatistics);
    EXPECT_TRUE(window->isVisible());
    ExpectSameNumbers(*window, CliStats(wave, 60, 360), true);

    test::SaveSnapshot(window->grab().toImage(), "viewer_statistics_window");

    // The viewer with a selection shaded and its statistics shown over it.
    trend->SetSelection(100, 200);
    ClickAndWait(t, ViewerStatistics::kStatistics);
    ExpectSameNumbers(*window, CliStats(wave, 100, 200), true);
    QImage composite = t.viewer->grab().toImage();
    QPainter(&composite)
        .drawImage(window->geometry().topLeft() - t.viewer->geometry().topLeft(),
                   window->grab().toImage());
    test::SaveSnapshot(composite, "viewer_statistics_selection");
}

TEST(ViewerStatistics, RightDragSelectsShadedPointsAndAClickClearsThem) {
    const test::TempDir temp;
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(TrendRecord(QString::fromStdString(temp.path()))));
    CCurseWnd* trend = t.viewer->TrendPlot();
    const QImage before = trend->grab(trend->contentsRect()).toImage();

    RightDrag(trend, 400, 200);
    const auto selection = trend->Selection();
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->first, trend->PointAtX(200));
    EXPECT_EQ(selection->Last(), trend->PointAtX(400));
    EXPECT_EQ(selection->first, 47); // 200 / 1278 × 300, rounded
    const QImage shaded = trend->grab(trend->contentsRect()).toImage();
    // The black background inside the selection is tinted; outside it nothing changed.
    const int y = trend->contentsRect().height() / 2 + 3;
    int background = 0;
    for (int x = 210; x < 390; ++x) {
        if (before.pixelColor(x, y) != Qt::black)
            continue;
        ++background;
        EXPECT_NE(shaded.pixelColor(x, y), QColor(Qt::black)) << x;
    }
    EXPECT_GT(background, 100);
    for (int x : {100, 195, 405, 600, 1000})
        EXPECT_EQ(shaded.pixelColor(x, y), before.pixelColor(x, y)) << x;

    // The left button still places the cursor and leaves the selection.
    SendMouse(trend, QEvent::MouseButtonPress, 700, Qt::LeftButton, Qt::LeftButton);
    SendMouse(trend, QEvent::MouseButtonRelease, 700, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(trend->CursorX(), 700);
    EXPECT_TRUE(trend->Selection());

    // A right click without a drag clears it.
    RightDrag(trend, 500, 501);
    EXPECT_FALSE(trend->Selection());
    test::SaveSnapshot(shaded, "viewer_trend_selection");
}

TEST(ViewerStatistics, CsvOfTheSelectionHasTheCliExportsRows) {
    const test::TempDir temp;
    const QString record = WaveRecord(QString::fromStdString(temp.path()));
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(record));
    t.viewer->TrendPlot()->SetSelection(11, 30);
    const QString csv = QString::fromStdString(temp / "part.csv");
    FileAnswer answer(csv);
    ClickAndWait(t, ViewerStatistics::kExportCsv);
    ASSERT_EQ(answer.requests.size(), 1u);
    EXPECT_EQ(answer.requests[0].filter, QStringLiteral("CSV Files (*.csv)"));
    EXPECT_EQ(answer.requests[0].fileName, QFileInfo(record).completeBaseName() + ".csv");

    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCli({"export", Local8(record)}, out, err), 0);
    const QStringList all = QString::fromStdString(out.str()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 21);
    EXPECT_EQ(rows[0], all[0]);
    EXPECT_EQ(rows.mid(1), all.mid(12, 20));
    EXPECT_TRUE(t.errors.empty());

    // A file that cannot be written is reported, and nothing is left behind.
    FileAnswer unwritable(QString::fromStdString(temp / "no such folder/part.csv"));
    ClickAndWait(t, ViewerStatistics::kExportCsv);
    ASSERT_EQ(t.errors.size(), 1u);
    EXPECT_TRUE(t.errors[0].startsWith(QStringLiteral("无法写入CSV文件：")))
        << t.errors[0].toStdString();
}

TEST(ViewerStatistics, ReportIsOneA4PageWithTheRecordThePlotsAndEveryNumber) {
    const test::TempDir temp;
    const QString record = WaveRecord(QString::fromStdString(temp.path()));
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(record));
    t.viewer->TrendPlot()->SetSelection(40, 250);
    const QString pdf = QString::fromStdString(temp / "report.pdf");
    FileAnswer answer(pdf);
    ClickAndWait(t, ViewerStatistics::kExportReport);
    ASSERT_TRUE(t.errors.empty()) << t.errors[0].toStdString();
    EXPECT_EQ(answer.requests[0].filter, QStringLiteral("PDF Files (*.pdf)"));

    const QString info = RunTool("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains("(A4)")) << info.toStdString();

    const QString text = RunTool("pdftotext", {"-layout", pdf, "-"});
    for (const QString& expected :
         {QStringLiteral("191012"), QStringLiteral("V1.203"), QFileInfo(record).fileName(),
          QStringLiteral("选定范围"), QStringLiteral("导出时间")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n"
                                             << text.toStdString();
    // Every number of the statistics, as the statistics window shows them.
    const auto image = ReadRecordImage(Local8(record));
    const auto statistics = ComputeRecordStatistics(*image, {40, 211});
    const StatisticsTable table = StatisticsTable::From(*statistics, RecordPoints(*image));
    ASSERT_EQ(table.rows.size(), 6u);
    for (const QStringList& row : table.rows)
        for (const QString& cell : row)
            EXPECT_TRUE(text.contains(cell)) << cell.toStdString() << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(table.start) && text.contains(table.end));

    // The page renders; the plots are the large dark areas on it.
    const QString page = QString::fromStdString(temp / "page");
    RunTool("pdftoppm", {"-png", "-r", "100", "-singlefile", pdf, page});
    QImage rendered(page + ".png");
    ASSERT_FALSE(rendered.isNull());
    EXPECT_NEAR(static_cast<double>(rendered.width()) / rendered.height(), 210.0 / 297.0, 0.01);
    int dark = 0;
    for (int y = 0; y < rendered.height(); y += 4)
        for (int x = 0; x < rendered.width(); x += 4)
            dark += qGray(rendered.pixel(x, y)) < 40;
    EXPECT_GT(dark, rendered.width() * rendered.height() / 16 / 10); // a tenth of the page at least
    test::SaveSnapshot(rendered, "viewer_report_page");
}

// With limits on, the report gains a page of them and the record's events, the first 40 listed
// and all counted; the event list writes every event as CSV.
TEST(ViewerStatistics, ReportGainsAPageOfEventsAndTheEventsExportAsCsv) {
    const test::TempDir temp;
    const std::string config = temp / "config.ini";
    EventLimits limits;
    limits[LimitKind::Ch1] = {true, 498}; // CH1 is b % 500: one point in 500 is above
    ASSERT_TRUE(WriteEventLimits(config, limits));
    SetEventLimitsFile(config);
    const QString record = LongWaveRecord(QString::fromStdString(temp.path()), 21000);
    ViewerUnderTest t;
    ViewerEvents& events = *t.viewer->Events();
    QSignalSpy found(&events, &ViewerEvents::EventsFound);
    ASSERT_TRUE(t.viewer->OpenRecord(record));
    ASSERT_TRUE(found.wait(10000));
    ASSERT_EQ(events.Events().size(), 42u);

    const QString pdf = QString::fromStdString(temp / "report.pdf");
    {
        FileAnswer answer(pdf);
        ClickAndWait(t, ViewerStatistics::kExportReport);
    }
    ASSERT_TRUE(t.errors.empty()) << t.errors[0].toStdString();
    const QString info = RunTool("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\n"))) << info.toStdString();
    const QString text = RunTool("pdftotext", {"-layout", "-f", "2", pdf, "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("CH1电流 > 498A，最少持续 1 点")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("全记录共 42 个事件，列出前 40 个")));
    const RecordPoints points(*t.viewer->Statistics()->Record());
    EXPECT_TRUE(text.contains(QString::fromStdString(points.PreciseTimeText(40 * 500 - 1))));
    EXPECT_FALSE(text.contains(QString::fromStdString(points.PreciseTimeText(41 * 500 - 1))));
    const QString page = QString::fromStdString(temp / "events");
    RunTool("pdftoppm", {"-png", "-r", "60", "-f", "2", "-singlefile", pdf, page});
    test::SaveSnapshot(QImage(page + ".png"), "viewer_report_events_page");

    events.ShowWindow();
    const QString csv = QString::fromStdString(temp / "events.csv");
    FileAnswer answer(csv);
    events.Window()->ExportButton()->click();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 43);
    EXPECT_EQ(rows[0], QStringLiteral("limit,first,last,start,end,duration_s,max"));
    EXPECT_EQ(rows[1], QStringLiteral("ch1,499,499,%1,%1,0.5,499")
                           .arg(QString::fromStdString(points.PreciseTimeText(499))));
    SetEventLimitsFile({});
}

TEST(ViewerStatistics, PlotsCanBeSavedAsPng) {
    const test::TempDir temp;
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(TrendRecord(QString::fromStdString(temp.path()))));
    t.viewer->TrendPlot()->SetSelection(10, 90);
    const QString png = QString::fromStdString(temp / "trend.png");
    FileAnswer answer(png);
    t.viewer->Button(CViewDlg::kCut)->click();
    QImageReader reader(png);
    EXPECT_EQ(reader.format(), QByteArray("png"));
    CCurseWnd* trend = t.viewer->TrendPlot();
    EXPECT_EQ(reader.read().convertToFormat(QImage::Format_RGB32),
              trend->grab(trend->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32));
}

TEST(ViewerStatistics, NothingToCountIsSaidAndAJobDiesWithTheViewer) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(test::WriteTrendRecord(dir, {})));
    Tools(t).Button(ViewerStatistics::kStatistics)->click();
    ASSERT_EQ(t.errors.size(), 1u);
    EXPECT_EQ(t.errors[0], QStringLiteral("当前视图没有数据"));
    EXPECT_FALSE(Tools(t).Busy());

    // A long job is cancelled when the viewer goes: its result never arrives.
    ASSERT_TRUE(t.viewer->OpenRecord(LongWaveRecord(dir, 20000)));
    t.viewer->TrendPlot()->SetSelection(0, 19999);
    bool finished = false;
    QObject::connect(&Tools(t), &ViewerStatistics::JobFinished, [&finished] { finished = true; });
    Tools(t).Button(ViewerStatistics::kStatistics)->click();
    EXPECT_TRUE(Tools(t).Busy());
    EXPECT_FALSE(Tools(t).Button(ViewerStatistics::kStatistics)->isEnabled());
    t.viewer.reset();
    QApplication::processEvents();
    EXPECT_FALSE(finished);
}

TEST(ViewerStatistics, TheStatisticsWindowIsDraggedByItsTitleStrip) {
    CStatDlg window;
    window.SetTable({}, QStringLiteral("当前视图"));
    window.move(100, 100);
    window.show();
    const QPoint start = window.pos();
    const auto send = [&window](QEvent::Type type, QPoint at, Qt::MouseButton button,
                                Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at), QPointF(window.mapToGlobal(at)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
    };
    send(QEvent::MouseButtonPress, {60, 10}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {100, 40}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {100, 40}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(window.pos(), start + QPoint(40, 30));
    // Below the strip a press moves nothing.
    send(QEvent::MouseButtonPress, {60, 40}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {90, 70}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {90, 70}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(window.pos(), start + QPoint(40, 30));
}

// Processes events until `done` holds or 10 s have passed.
bool ProcessEventsUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    return done();
}

TEST(ViewerJob, HandsItsResultToTheOwnersThreadOneJobAtATime) {
    QObject owner;
    ViewerJob job(&owner);
    std::optional<int> result;
    QThread* workThread = nullptr;
    QThread* doneThread = nullptr;
    ASSERT_TRUE(job.Start<int>(
        [&workThread](const std::atomic<bool>&) {
            workThread = QThread::currentThread();
            return 42;
        },
        [&](int value) {
            doneThread = QThread::currentThread();
            result = value;
        }));
    EXPECT_TRUE(job.Busy());
    EXPECT_FALSE(job.Start<int>([](const std::atomic<bool>&) { return 0; }, [](int) {}));
    ASSERT_TRUE(ProcessEventsUntil([&] { return result.has_value(); }));
    EXPECT_EQ(*result, 42);
    EXPECT_FALSE(job.Busy());
    EXPECT_NE(workThread, owner.thread());
    EXPECT_EQ(doneThread, owner.thread());
}

TEST(ViewerJob, CancellingTellsTheWorkAndDropsItsResult) {
    QObject owner;
    std::atomic<bool> sawCancel{false};
    std::atomic<bool> started{false};
    bool done = false;
    {
        ViewerJob job(&owner);
        // Work that ends only when told to (or after 10 s, which the check below would catch).
        ASSERT_TRUE(job.Start<int>(
            [&](const std::atomic<bool>& cancelled) {
                started = true;
                QDeadlineTimer deadline(10000);
                while (!cancelled.load() && !deadline.hasExpired())
                    QThread::msleep(1);
                sawCancel = cancelled.load();
                return 1;
            },
            [&done](int) { done = true; }));
        while (!started.load())
            QThread::msleep(1);
    } // the job goes: it cancels and waits for its thread
    EXPECT_TRUE(sawCancel.load());
    QCoreApplication::processEvents();
    EXPECT_FALSE(done);
}

// A result already on its way to the window goes with the cancel, not when the queued call
// would have run: a record read for comparison closes its file at once.
TEST(ViewerJob, ACancelLetsGoOfAResultOnItsWay) {
    QObject owner;
    ViewerJob job(&owner);
    auto token = std::make_shared<int>(1);
    const std::weak_ptr<int> watch = token;
    bool done = false;
    ASSERT_TRUE(job.Start<std::shared_ptr<int>>(
        [token = std::move(token)](const std::atomic<bool>&) { return token; },
        [&done](std::shared_ptr<int>) { done = true; }));
    // Once the job's thread has ended, only the result on its way holds the token.
    QDeadlineTimer deadline(10000);
    while (watch.use_count() > 1 && !deadline.hasExpired())
        QThread::msleep(1);
    ASSERT_EQ(watch.use_count(), 1);
    job.Cancel();
    EXPECT_TRUE(watch.expired());
    QCoreApplication::processEvents();
    EXPECT_FALSE(done);
}

} // namespace
} // namespace zel
