#include "app/ViewerLaunch.h"
#include "plot/CurseWnd.h"
#include "records/RecordFile.h"
#include "tests/support/TempDir.h"
#include "viewer/ViewDlg.h"
#include "widgets/MessageBox.h"

#include <QFile>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace zel;

namespace {

TEST(ViewerLaunch, ARecordOnTheCommandLineOpensInTheViewerAlone) {
    test::TempDir dir;
    const std::string path = CreateTrendRecord("T", 5, 1, 1400000000, dir.path());
    ASSERT_TRUE(AppendRecordBlock(path, TrendBlock{}));
    const QString file = QFile::decodeName(path.c_str());
    std::vector<QString> errors;
    ScopedMessageBoxHandler boxes([&](const MessageBox::Request& request) {
        errors.push_back(request.text);
        return MessageBox::Answer::Ok;
    });

    for (const QStringList& arguments :
         {QStringList{"zelmarine", file}, QStringList{"zelmarine", "--view", file},
          QStringList{"zelmarine", "--demo", file}}) {
        const auto viewer = ViewerForCommandLine(arguments);
        ASSERT_TRUE(viewer) << arguments.join(' ').toStdString();
        EXPECT_EQ(viewer->TrendPlot()->PointCount(), 62);
        EXPECT_TRUE(viewer->Button(CViewDlg::kPlay)->isEnabled());
    }
    // "--view" alone opens an empty viewer; a file that fails says why in the viewer.
    const auto empty = ViewerForCommandLine({"zelmarine", "--view"});
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->Button(CViewDlg::kPlay)->isEnabled());
    EXPECT_TRUE(errors.empty());
    const auto missing =
        ViewerForCommandLine({"zelmarine", QString::fromStdString(dir / "missing.zmr")});
    ASSERT_TRUE(missing);
    EXPECT_EQ(errors.size(), 1u);

    // Options alone start the main window as before.
    EXPECT_FALSE(ViewerForCommandLine({"zelmarine"}));
    EXPECT_FALSE(ViewerForCommandLine({"zelmarine", "--demo"}));
}

} // namespace
