#pragma once

#include <QDialog>

namespace zel {

// The about box, opened from the main window's menu.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace zel
