#pragma once

#include "records/InstrumentFileScan.h"
#include "records/TrendRecordWriter.h"
#include "widgets/CMyDialog.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace zel {

class ReportList;

// The file analysis window: the instrument data files found on the removable drives above, the
// "U" record files of the last analysis below. The user refreshes, ticks, deletes, and analyses
// the ticked files on a worker; the window does not close while an analysis runs.
class CUsbDlg : public CMyDialog {
    Q_OBJECT

public:
    enum : int {
        kFileList = 1057,
        kRefreshButton = 1052,
        kTickAllFiles = 1058,
        kDeleteFilesButton = 1053,
        kAnalyseButton = 1054,
        kStatusText = 1049,
        kProgress = 1048,
        kRecordList = 1056,
        kTickAllRecords = 1059,
        kDeleteRecordsButton = 1055,
    };

    // Converts one instrument data file on the worker, reporting each record file written.
    using Converter =
        std::function<void(const std::string& path, const RecordFileDone& onFileDone)>;

    // `recordDirectory` is where the "U" files go; empty means the ZMR folder beside the program.
    explicit CUsbDlg(RemovableDriveLister drives, QWidget* parent = nullptr,
                     std::string recordDirectory = {});
    ~CUsbDlg() override;

    // Replaces the conversion (tests hold the worker between files with it).
    void SetConverter(Converter convert) { convert_ = std::move(convert); }

    ReportList* FileList() const { return files_; }
    ReportList* RecordList() const { return records_; }
    QLabel* StatusText() const { return statusText_; }
    QProgressBar* Progress() const { return progress_; }
    bool Analysing() const { return analysing_.load(); }

protected:
    bool CanClose() override;

private:
    void CreateControls();
    QPushButton* AddButton(int id, const QString& caption, const QRect& units);
    QCheckBox* AddTickAll(int id, const QRect& units, ReportList* list);
    void Refresh();
    void DeleteTicked(ReportList* list);
    void OnAnalyse();
    void RunAnalysis(std::vector<std::string> paths, Converter convert);
    void FinishAnalysis();
    void SetAnalysisControlsEnabled(bool enabled);

    RemovableDriveLister drives_;
    Converter convert_;
    ReportList* files_ = nullptr;
    ReportList* records_ = nullptr;
    QLabel* statusText_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::vector<QWidget*> analysisControls_; // 1052, 1053, 1054, 1058

    std::atomic<bool> analysing_{false};
    std::thread worker_;
};

} // namespace zel
