#pragma once

#include <QDialog>

#include <cstdint>

class QListWidget;
class QPushButton;

namespace zel {

class ViewerNotes;

// The list of a record's notes, in time order, beside the viewer: each row its time and text;
// 编辑… and 删除 work on the chosen row, a double click edits it.
class NotesDialog : public QDialog {
    Q_OBJECT

public:
    enum : int { kList = 1041, kEdit = 1042, kDelete = 1043 };

    NotesDialog(ViewerNotes* notes, QWidget* parent);

    // Shows the notes as they are now, keeping the chosen row where it still exists.
    void Refresh();
    QListWidget* List() const { return list_; }
    // The point index of the chosen note, or −1.
    std::int64_t ChosenIndex() const;

private:
    void UpdateButtons();

    ViewerNotes* notes_;
    QListWidget* list_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
};

} // namespace zel
