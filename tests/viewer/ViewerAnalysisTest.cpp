#include "GuiTestSupport.h"
#include "PlotTestSupport.h"
#include "ViewerTestSupport.h"
#include "common/IniFile.h"
#include "common/LocalTime.h"
#include "plot/CurseWnd.h"
#include "plot/TimeAxisLabels.h"
#include "plot/WaveWnd.h"
#include "records/EventLimitsConfig.h"
#include "records/RecordFile.h"
#include "records/RecordNotes.h"
#include "records/RecordPoints.h"
#include "records/SampleBlock.h"
#include "records/StatisticsText.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TempDir.h"
#include "viewer/CEventDlg.h"
#include "viewer/CursorPairReadout.h"
#include "viewer/NotesDialog.h"
#include "viewer/ViewerClock.h"
#include "viewer/ViewerCompare.h"
#include "viewer/ViewerCut.h"
#include "viewer/ViewerEvents.h"
#include "viewer/ViewerKeys.h"
#include "viewer/ViewerNotes.h"
#include "viewer/ViewerStatistics.h"
#include "widgets/FileDialog.h"
#include "widgets/PopupMenu.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <cstring>

namespace zel {
namespace {

using test::ReadBytes;
using test::ViewerUnderTest;

std::string Local8(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Answers every text prompt with the next of `answers` and keeps what was offered.
struct TextAnswers {
    explicit TextAnswers(std::vector<QString> answers) : answers_(std::move(answers)) {
        previous_ = ViewerNotes::SetTextAsker(
            [this](QWidget*, const QString&, const QString&, const QString& text) {
                offered.push_back(text);
                std::optional<QString> answer;
                if (next_ < answers_.size())
                    answer = answers_[next_++];
                return answer;
            });
    }
    ~TextAnswers() { ViewerNotes::SetTextAsker(std::move(previous_)); }
    std::vector<QString> offered;

private:
    std::vector<QString> answers_;
    std::size_t next_ = 0;
    ViewerNotes::TextAsker previous_;
};

// Answers every file dialog with `path`.
struct FileAnswer {
    explicit FileAnswer(QString path)
        : handler([path](const FileDialog::Request&) { return path; }) {}
    ScopedFileDialogHandler handler;
};

// Picks the context-menu item whose text starts with `item`, and keeps the menus' items.
struct MenuPick {
    explicit MenuPick(QString item)
        : handler([this, item](QMenu& menu, const QPoint&) -> QAction* {
              ++shown;
              for (QAction* action : menu.actions())
                  if (action->isEnabled() && action->text().startsWith(item))
                      return action;
              return nullptr;
          }) {}
    int shown = 0;
    ScopedPopupMenuHandler handler;
};

void RightClick(QWidget* plot, int x) {
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const QPointF at(x, plot->height() / 2);
        QMouseEvent event(type, at, plot->mapToGlobal(at), Qt::RightButton,
                          type == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(plot, &event);
    }
    QApplication::processEvents(); // the menu opens after the plot has taken the click
}

QString TrendRecord(const test::TempDir& dir) {
    return test::WriteTrendRecord(QString::fromStdString(dir.path()),
                                  test::DriftingCurrents(620, 4));
}

const QColor kFlag(255, 170, 0);

TEST(ViewerAnalysis, NotesAreAddedEditedDeletedShownAndKeptBesideTheRecord) {
    const test::TempDir temp;
    const QString path = TrendRecord(temp);
    const auto recordBytes = ReadBytes(Local8(path));
    TextAnswers answers({"电机启动", "second", "edited"});
    {
        ViewerUnderTest t;
        ASSERT_TRUE(t.viewer->OpenRecord(path));
        ViewerNotes& notes = *t.viewer->Notes();
        CCurseWnd* trend = t.viewer->TrendPlot();

        // M adds at the trend cursor, the key and the context menu alike.
        trend->PlaceCursor(640);
        const auto first = notes.CursorPoint();
        ASSERT_TRUE(first);
        QTest::keyClick(t.viewer.get(), Qt::Key_M);
        trend->PlaceCursor(300);
        const auto second = notes.CursorPoint();
        ASSERT_TRUE(second);
        MenuPick add(QStringLiteral("添加备注"));
        RightClick(trend, 300);
        EXPECT_EQ(add.shown, 1);
        ASSERT_EQ(notes.Notes().size(), 2u);
        EXPECT_EQ(notes.Notes()[0].index, *second);
        EXPECT_EQ(notes.Notes()[1].index, *first);
        EXPECT_EQ(notes.Notes()[1].text, "电机启动");

        // A flag at each, with the text on hover.
        const QImage shot = trend->grab().toImage();
        const int top = trend->ClientRect().top();
        for (const RecordNote& n : notes.Notes()) {
            const auto x = NoteX(*trend, false, n.index);
            ASSERT_TRUE(x);
            EXPECT_EQ(shot.pixelColor(*x + 2, top + 2), kFlag) << n.index;
        }
        const QPoint hover(*NoteX(*trend, false, *first) + 1, top + 3);
        QHelpEvent help(QEvent::ToolTip, hover, trend->mapToGlobal(hover));
        QApplication::sendEvent(trend, &help);
        EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("电机启动")))
            << QToolTip::text().toStdString();
        test::SaveSnapshot(shot, "viewer_notes");

        // The list edits (its text offered) and deletes the chosen note.
        notes.ShowList();
        NotesDialog* list = notes.ListWindow();
        ASSERT_TRUE(list);
        ASSERT_EQ(list->List()->count(), 2);
        list->List()->setCurrentRow(1);
        list->findChild<QPushButton*>(QString::number(NotesDialog::kEdit))->click();
        EXPECT_EQ(answers.offered.back(), QStringLiteral("电机启动"));
        EXPECT_EQ(notes.Notes()[1].text, "edited");
        EXPECT_TRUE(list->List()->item(1)->text().endsWith(QStringLiteral("edited")));
        list->List()->setCurrentRow(0);
        list->findChild<QPushButton*>(QString::number(NotesDialog::kDelete))->click();
        ASSERT_EQ(notes.Notes().size(), 1u);
        EXPECT_EQ(list->List()->count(), 1);
        EXPECT_EQ(notes.ReportLines().size(), 1);
        EXPECT_TRUE(t.errors.empty());
    }
    // Opened again: the note is read from beside the record, which was never written.
    ViewerUnderTest again;
    ASSERT_TRUE(again.viewer->OpenRecord(path));
    ASSERT_EQ(again.viewer->Notes()->Notes().size(), 1u);
    EXPECT_EQ(again.viewer->Notes()->Notes()[0].text, "edited");
    EXPECT_EQ(ReadBytes(Local8(path)), recordBytes);
}

TEST(ViewerAnalysis, AMalformedNotesFileIsSaidOnceAndLeftAlone) {
    const test::TempDir temp;
    const QString path = TrendRecord(temp);
    const std::string sidecar = NotesPath(Local8(path));
    const std::vector<std::uint8_t> junk = {'{', '"', 'n'};
    test::WriteBytes(sidecar, junk);
    TextAnswers answers({"x"});
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(path));
    EXPECT_GT(t.viewer->TrendPlot()->PointCount(), 0);
    EXPECT_TRUE(t.viewer->Notes()->Notes().empty());
    QApplication::processEvents();
    ASSERT_EQ(t.errors.size(), 1u);
    EXPECT_FALSE(t.errors[0].contains(QLatin1Char('\n')));
    EXPECT_TRUE(t.errors[0].contains(QStringLiteral(".zmr.notes"))) << t.errors[0].toStdString();
    t.viewer->TrendPlot()->PlaceCursor(500);
    QTest::keyClick(t.viewer.get(), Qt::Key_M);
    EXPECT_TRUE(t.viewer->Notes()->Notes().empty());
    EXPECT_EQ(ReadBytes(sidecar), junk);
}

TEST(ViewerAnalysis, TheSelectionIsSavedAsARecordWithItsNotes) {
    test::ScopedTimeZone zone{"Europe/Berlin"};
    const test::TempDir temp;
    const QString path = TrendRecord(temp);
    ASSERT_TRUE(WriteRecordNotes(Local8(path), 1400000000, {{70, "in"}, {400, "out"}}));
    const auto source = ReadRecordImage(Local8(path));
    ASSERT_TRUE(source);
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(path));
    CCurseWnd* trend = t.viewer->TrendPlot();
    trend->SetSelection(100, 200); // blocks 1 … 3

    const QString target = QString::fromStdString(temp / "cut.zmr");
    std::vector<FileDialog::Request> requests;
    ScopedFileDialogHandler files([&](const FileDialog::Request& request) {
        requests.push_back(request);
        return target;
    });
    MenuPick save(QStringLiteral("选定范围另存为记录"));
    QSignalSpy saved(t.viewer->Notes()->Cut(), &ViewerCut::Finished);
    RightClick(trend, 400); // the click clears the shading; the menu still saves that range
    ASSERT_TRUE(saved.wait(10000));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].fileName.toStdString(),
              FormatLocalTime(1400000000 + 31, "T-191012-%Y%m%d%H%M%S.zmr"));
    EXPECT_EQ(requests[0].directory.toStdString(), RecordDirectory());
    ASSERT_EQ(t.errors.size(), 1u); // the information that it was saved
    const auto cut = ReadRecordImage(Local8(target));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->header.startTime, 1400000000 + 31);
    ASSERT_EQ(cut->trendBlocks.size(), 3u);
    for (int b = 0; b < 3; ++b)
        EXPECT_EQ(std::memcmp(&cut->trendBlocks[b], &source->trendBlocks[b + 1], kTrendBlockSize),
                  0);
    const auto notes = ReadRecordNotes(Local8(target)).notes;
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].index, 8);

    // The same name again: the record there is not replaced.
    const auto bytes = ReadBytes(Local8(target));
    RightClick(trend, 400);
    EXPECT_EQ(t.errors.size(), 2u); // the shading is back after a save; refused this time
    EXPECT_EQ(ReadBytes(Local8(target)), bytes);
}

TEST(ViewerAnalysis, CursorBShowsBothCursorsValuesAndTheStatisticsBetweenThem) {
    const test::TempDir temp;
    const QString path = TrendRecord(temp);
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(path));
    ASSERT_TRUE(t.viewer->Notes()->SetNote(150, "note"));
    CCurseWnd* trend = t.viewer->TrendPlot();
    CursorPairReadout& pair = *t.viewer->CursorPair();
    trend->PlaceCursor(900);
    EXPECT_FALSE(pair.Table()->isVisible());

    // Shift and a click place B; A stays.
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const QPointF at(250, trend->height() / 2);
        QMouseEvent event(type, at, trend->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::ShiftModifier);
        QApplication::sendEvent(trend, &event);
    }
    EXPECT_EQ(trend->CursorX(), 900);
    ASSERT_EQ(pair.B(), trend->PointAtX(250));

    const auto image = ReadRecordImage(Local8(path));
    ASSERT_TRUE(image);
    const RecordPoints points(*image);
    const auto check = [&] {
        const auto v = pair.Values();
        ASSERT_TRUE(v);
        const std::int64_t a = *trend->CursorPoint(), b = *pair.B();
        EXPECT_EQ(v->a, a);
        EXPECT_EQ(v->b, b);
        EXPECT_DOUBLE_EQ(v->deltaSeconds, 0.5 * static_cast<double>(b - a));
        EXPECT_EQ(v->ch1[0], points.At(a).ch1);
        EXPECT_EQ(v->ch2[1], points.At(b).ch2);
        EXPECT_EQ(v->difference[1], points.At(b).ch1 - points.At(b).ch2);
        // Brute force over the points between, both ends included.
        std::int64_t sum = 0, count = 0;
        int min = 1 << 30, max = -(1 << 30), dmin = 1 << 30;
        for (std::int64_t i = std::min(a, b); i <= std::max(a, b); ++i, ++count) {
            const TrendPoint p = points.At(i);
            sum += p.ch1;
            min = std::min(min, p.ch1);
            max = std::max(max, p.ch2);
            dmin = std::min(dmin, p.ch1 - p.ch2);
        }
        EXPECT_EQ(v->between.Points(), count);
        EXPECT_EQ(v->between.channel[0].min, min);
        EXPECT_EQ(v->between.channel[1].max, max);
        EXPECT_EQ(v->between.difference.min, dmin);
        EXPECT_EQ(TwoDecimals(v->between.Mean(0)),
                  TwoDecimals(static_cast<double>(sum) / static_cast<double>(count)));
        EXPECT_TRUE(pair.Table()->isVisible());
        EXPECT_TRUE(pair.Table()->text().contains(
            QString::fromStdString("Δt = " + OneDecimal(v->deltaSeconds) + " s")));
    };
    check();
    // Moving A or scrolling follows.
    trend->PlaceCursor(600);
    check();
    trend->Scroll(ScrollRequest::LineRight);
    check();
    test::SaveSnapshot(t.viewer->grab().toImage(), "viewer_two_cursors_and_notes");

    // From the context menu: cleared, and no table without B.
    MenuPick clear(QStringLiteral("清除光标B"));
    RightClick(trend, 700);
    EXPECT_FALSE(pair.B());
    EXPECT_FALSE(pair.Table()->isVisible());
}

TEST(ViewerAnalysis, ClockLabelsFollowMidnightAndSummerTimeAndTheChoiceIsKept) {
    test::ScopedTimeZone zone{"Europe/Berlin"};
    EXPECT_EQ(TimeAxisLabels({0, 3661}, std::nullopt),
              QStringList({QStringLiteral("0时0分0秒"), QStringLiteral("1时1分1秒")}));
    // The clocks go forward at 02:00 on 2014-03-30 and back at 03:00 on 2014-10-26.
    EXPECT_EQ(TimeAxisLabels({0, 30, 60, 90}, test::Local(2014, 3, 30, 1, 59, 0)),
              QStringList({"01:59:00", "01:59:30", "03:00:00", "03:00:30"}));
    EXPECT_EQ(TimeAxisLabels({0, 1800, 3600, 5400}, test::Local(2014, 10, 26, 1, 30, 0)),
              QStringList({"01:30:00", "02:00:00", "02:30:00", "02:00:00"}));
    EXPECT_EQ(TimeAxisLabels({0, 10, 20, 30}, test::Local(2014, 5, 13, 23, 59, 40)),
              QStringList({"23:59:40", "23:59:50", "05-14 00:00:00", "00:00:10"}));

    const test::TempDir temp;
    ViewerClock::SetConfigPath(temp / "config.ini");
    const QString path =
        test::WriteTrendRecord(QString::fromStdString(temp.path()), test::DriftingCurrents(620, 4),
                               12, 1203, test::Local(2014, 5, 13, 23, 58, 0));
    QImage elapsed, clock;
    {
        ViewerUnderTest t;
        EXPECT_FALSE(t.viewer->Clock()->ClockTime()); // the default
        ASSERT_TRUE(t.viewer->OpenRecord(path));
        elapsed = t.viewer->TrendPlot()->grab().toImage();
        MenuPick pick(QStringLiteral("时间轴显示时刻"));
        RightClick(t.viewer->TrendPlot(), 600);
        EXPECT_TRUE(t.viewer->Clock()->ClockTime());
        clock = t.viewer->TrendPlot()->grab().toImage();
        test::SaveSnapshot(t.viewer->grab().toImage(), "viewer_clock_labels");
    }
    EXPECT_NE(clock, elapsed);
    EXPECT_EQ(IniFile::Read(temp / "config.ini", "ZELMARINE", "viewerClockTime"), "1");
    {
        ViewerUnderTest t; // remembered
        EXPECT_TRUE(t.viewer->Clock()->ClockTime());
        t.viewer->Clock()->SetClockTime(false);
    }
    EXPECT_EQ(IniFile::Read(temp / "config.ini", "ZELMARINE", "viewerClockTime"), "0");
    ViewerClock::SetConfigPath({});
}

TEST(ViewerAnalysis, GoToTimeBringsThePointIntoViewWithTheCursorOnIt) {
    const test::TempDir temp;
    const test::ScopedTimeZone zone{"UTC"};
    // A waveform record of 900 blocks, so both plots go.
    std::vector<WaveBlock> waves(900);
    const QString path = test::WriteWaveformRecord(QString::fromStdString(temp.path()), waves,
                                                   test::DriftingCurrents(900, 3));
    const auto image = ReadRecordImage(Local8(path));
    ASSERT_TRUE(image);
    const RecordPoints points(*image);
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(path));
    CCurseWnd* trend = t.viewer->TrendPlot();
    ViewerClock& clock = *t.viewer->Clock();

    ASSERT_TRUE(clock.GoTo("0:05:00")); // elapsed: point 600
    EXPECT_EQ(trend->CursorPoint(), 600);
    EXPECT_EQ(t.viewer->WavePlot()->CursorBlockAt(t.viewer->WavePlot()->CursorX()), 600);
    const PointRange view = trend->ViewRange();
    EXPECT_LE(view.first, 600);
    EXPECT_GE(view.Last(), 600);

    TextAnswers answers({QString::fromStdString(points.TimeText(851))});
    MenuPick pick(QStringLiteral("转到时间"));
    RightClick(trend, 300);
    EXPECT_EQ(trend->CursorPoint(), 850); // the whole second: the half second is dropped
    for (const QString bad : {"0:07:30", "2000-01-01 00:00:00", "soon"}) {
        const std::size_t errors = t.errors.size();
        EXPECT_FALSE(clock.GoTo(bad)) << bad.toStdString();
        EXPECT_EQ(t.errors.size(), errors + 1);
        EXPECT_EQ(trend->CursorPoint(), 850);
    }
}

// The events of a record with config.ini's limits are drawn as bands and listed; limits changed
// in the list hold for this record only; a double click brings an event into view in both
// plots with the cursors on its maximum.
TEST(ViewerAnalysis, EventsAreListedDrawnAndBroughtIntoView) {
    const test::TempDir temp;
    const test::ScopedTimeZone zone{"UTC"};
    const std::string config = temp / "config.ini";
    SetEventLimitsFile(config);
    EventLimits limits;
    limits[LimitKind::Ch1] = {true, 150};
    ASSERT_TRUE(WriteEventLimits(config, limits));
    // CH1 over 150 at 100 … 104 (its maximum at 102) and 700 … 700, the difference over 60 at
    // 400 … 409.
    std::vector<TrendPoint> currents(900, {100, 90});
    for (int i = 100; i <= 104; ++i)
        currents[i] = {i == 102 ? 190 : 160, 140};
    for (int i = 400; i <= 409; ++i)
        currents[i] = {140, 70};
    currents[700] = {151, 150};
    const QString path = test::WriteWaveformRecord(QString::fromStdString(temp.path()),
                                                   std::vector<WaveBlock>(900), currents);
    ViewerUnderTest t;
    ViewerEvents& events = *t.viewer->Events();
    QSignalSpy found(&events, &ViewerEvents::EventsFound);
    ASSERT_TRUE(t.viewer->OpenRecord(path));
    ASSERT_TRUE(found.wait(5000));
    ASSERT_EQ(events.Events().size(), 2u);
    CCurseWnd* trend = t.viewer->TrendPlot();
    EXPECT_EQ(trend->Bands(), (std::vector<CCurseWnd::Band>{{LimitKind::Ch1, 100, 104},
                                                            {LimitKind::Ch1, 700, 700}}));

    QTest::keyClick(t.viewer.get(), Qt::Key_E);
    CEventDlg* list = events.Window();
    ASSERT_TRUE(list && list->isVisible());
    EXPECT_EQ(list->CountText(), QStringLiteral("共2个事件"));
    EXPECT_EQ(list->Cell(0, 0), QStringLiteral("CH1电流"));
    EXPECT_EQ(list->Cell(0, 3), QStringLiteral("2.5"));
    EXPECT_EQ(list->Cell(0, 4), QStringLiteral("190A"));

    // For this record: the difference too, and at least two points.
    list->LimitSwitch(LimitKind::Difference)->setChecked(true);
    list->LimitField(LimitKind::Difference)->setText(QStringLiteral("60"));
    list->MinPointsField()->setText(QStringLiteral("2"));
    list->ApplyButton()->click();
    ASSERT_TRUE(found.wait(5000));
    ASSERT_EQ(events.Events().size(), 2u);
    EXPECT_EQ(list->Cell(1, 0), QStringLiteral("电流差"));
    EXPECT_EQ(list->Cell(1, 1),
              QString::fromStdString(
                  RecordPoints(*t.viewer->Statistics()->Record()).PreciseTimeText(400)));
    EXPECT_EQ(ReadEventLimits(config), limits); // the settings are untouched
    test::GrabWidget(*list, QStringLiteral("list"));

    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    const QRect cell = list->Table()->visualItemRect(list->Table()->item(0, 1));
    ASSERT_TRUE(list->Table()->viewport()->rect().contains(cell.center()));
    QSignalSpy chosen(list, &CEventDlg::EventChosen);
    QWidget* viewport = list->Table()->viewport();
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const QPointF at = cell.center();
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    EXPECT_EQ(chosen.size(), 1);
    EXPECT_EQ(trend->CursorPoint(), 102);
    EXPECT_EQ(t.viewer->WavePlot()->CursorBlockAt(t.viewer->WavePlot()->CursorX()), 102);
    test::GrabWidget(*t.viewer, QStringLiteral("viewer"));

    // Another record goes back to the limits of the settings.
    ASSERT_TRUE(t.viewer->OpenRecord(path));
    ASSERT_TRUE(found.wait(5000));
    EXPECT_EQ(events.Limits(), limits);
    SetEventLimitsFile({});
}

TEST(ViewerAnalysis, KeysScrollZoomPlayAndAreListedInTheTooltip) {
    const test::TempDir temp;
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(TrendRecord(temp)));
    t.viewer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(t.viewer.get()));
    CCurseWnd* trend = t.viewer->TrendPlot();
    // A focused button would take space itself.
    t.viewer->Button(CViewDlg::kOpen)->setFocus();
    const auto key = [&](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(k), m);
    };
    key(Qt::Key_Right);
    EXPECT_EQ(trend->First(), 10);
    key(Qt::Key_End);
    EXPECT_EQ(trend->First(), trend->PointCount() - 1);
    key(Qt::Key_Home);
    EXPECT_EQ(trend->First(), 0);
    key(Qt::Key_Plus);
    EXPECT_EQ(trend->Span(), 150);
    key(Qt::Key_Minus);
    EXPECT_EQ(trend->Span(), 300);
    key(Qt::Key_Space);
    EXPECT_TRUE(t.viewer->Playing());
    key(Qt::Key_Space);
    EXPECT_FALSE(t.viewer->Playing());
    EXPECT_TRUE(t.viewer->toolTip().contains(QStringLiteral("Ctrl+O")));
    EXPECT_TRUE(t.viewer->toolTip().contains(QStringLiteral("M 添加备注")));
}

TEST(ViewerAnalysis, ASecondRecordIsOverlaidByClockTimeOrByStart) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    const QString shown = test::WriteTrendRecord(dir, test::DriftingCurrents(620, 4));
    std::vector<TrendPoint> other(186);
    for (std::size_t i = 0; i < other.size(); ++i)
        other[i] = {static_cast<std::int32_t>(20 + i / 2), 40};
    // 100 s (200 points) after the record shown, and far after it.
    const QString later = test::WriteTrendRecord(dir, other, 12, 1203, 1400000000 + 100);
    const QString apart = test::WriteTrendRecord(dir, other, 12, 1203, 1400000000 + 100000);
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(shown));
    CCurseWnd* trend = t.viewer->TrendPlot();
    ViewerCompare& compare = *t.viewer->Compare();
    const auto lighterPixels = [&] {
        const QImage shot = trend->grab().toImage();
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                n += shot.pixelColor(x, y) == QColor(170, 255, 170) ? 1 : 0;
        return n;
    };

    // Read off the window's thread; the overlay is there once the reading has finished.
    QSignalSpy finished(&compare, &ViewerCompare::LoadFinished);
    const auto opened = [&finished] {
        return (finished.count() > 0 || finished.wait(10000)) && finished.takeFirst()[0].toBool();
    };
    FileAnswer answer(later);
    MenuPick pick(QStringLiteral("对比..."));
    RightClick(trend, 600);
    ASSERT_TRUE(opened());
    ASSERT_TRUE(compare.IsOpen());
    EXPECT_EQ(compare.OtherPoint(199), std::nullopt);
    EXPECT_EQ(compare.OtherPoint(200), 0);
    EXPECT_EQ(compare.OtherPoint(385), 185);
    EXPECT_EQ(compare.OtherPoint(386), std::nullopt);
    EXPECT_GT(lighterPixels(), 50);
    trend->PlaceCursor(1100);
    const auto a = trend->CursorPoint();
    ASSERT_TRUE(a);
    ASSERT_GE(*a, 200);
    EXPECT_TRUE(compare.Readout()->isVisible());
    EXPECT_TRUE(compare.Readout()->text().contains(
        QStringLiteral("CH1 %1  CH2 40").arg(20 + (*a - 200) / 2)))
        << compare.Readout()->text().toStdString();
    test::SaveSnapshot(t.viewer->grab().toImage(), "viewer_compare_overlay");

    ASSERT_TRUE(compare.SetAlignment(ViewerCompare::Align::Start));
    EXPECT_EQ(compare.OtherPoint(0), 0);
    EXPECT_EQ(compare.OtherPoint(186), std::nullopt);
    compare.Close();
    EXPECT_FALSE(compare.Readout()->isVisible());
    EXPECT_EQ(lighterPixels(), 0);

    // No clock time in common: said, and alignment by start offered.
    ASSERT_TRUE(compare.SetAlignment(ViewerCompare::Align::ClockTime));
    std::vector<QString> questions;
    {
        ScopedMessageBoxHandler yes([&](const MessageBox::Request& r) {
            questions.push_back(r.text);
            return MessageBox::Answer::Yes;
        });
        ASSERT_TRUE(compare.Open(apart));
        ASSERT_TRUE(opened());
    }
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(compare.Alignment(), ViewerCompare::Align::Start);
    EXPECT_EQ(compare.OtherPoint(10), 10);
    EXPECT_FALSE(compare.SetAlignment(ViewerCompare::Align::ClockTime)); // refused, said
    EXPECT_EQ(compare.Alignment(), ViewerCompare::Align::Start);
    // Declined: nothing opened.
    compare.Close();
    ASSERT_TRUE(compare.SetAlignment(ViewerCompare::Align::ClockTime));
    {
        ScopedMessageBoxHandler no(
            [](const MessageBox::Request&) { return MessageBox::Answer::No; });
        ASSERT_TRUE(compare.Open(apart));
        EXPECT_FALSE(opened());
    }
    EXPECT_FALSE(compare.IsOpen());
}

} // namespace
} // namespace zel
