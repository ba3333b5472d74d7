#pragma once

#include "records/RecordFile.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zel {

class CViewDlg;

// The viewer's time axes in clock time or in time since the start (the default; the choice is
// kept in config.ini, key viewerClockTime of section ZELMARINE), and going to a time.
class ViewerClock : public QObject {
    Q_OBJECT

public:
    explicit ViewerClock(CViewDlg* viewer);

    void SetRecord(std::shared_ptr<const RecordImage> record);

    bool ClockTime() const { return clockTime_; }
    // Switches both plots' labels and remembers the choice.
    void SetClockTime(bool on);

    // Asks for a time and goes to it.
    void AskGoTo();
    // Brings the point of a local time "YYYY-mm-dd HH:MM:SS" or an elapsed "H:MM:SS" into view
    // (in the middle where the record allows) with the cursors on it; false with a message for
    // other text or a time outside the record.
    bool GoTo(const QString& text);
    // Brings point `index` into view in both plots with the cursors on it.
    void ShowPoint(std::int64_t index);

    // The point index a go-to text stands for in a record started at `start`.
    static std::optional<std::int64_t> PointOf(const QString& text, std::int64_t start);

    // Where the choice is kept; empty for config.ini's usual place.
    static void SetConfigPath(const std::string& path);
    // The config.ini the viewer reads and writes.
    static std::string ConfigPath();

private:
    void Apply();

    CViewDlg* viewer_;
    std::shared_ptr<const RecordImage> record_;
    bool clockTime_ = false;
};

} // namespace zel
