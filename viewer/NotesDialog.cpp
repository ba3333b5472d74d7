#include "viewer/NotesDialog.h"

#include "viewer/ViewerNotes.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zel {

NotesDialog::NotesDialog(ViewerNotes* notes, QWidget* parent) : QDialog(parent), notes_(notes) {
    setWindowTitle(tr("Velquist－备注"));
    list_ = new QListWidget(this);
    list_->setObjectName(QString::number(kList));
    edit_ = new QPushButton(tr("编辑..."), this);
    edit_->setObjectName(QString::number(kEdit));
    delete_ = new QPushButton(tr("删除"), this);
    delete_->setObjectName(QString::number(kDelete));
    auto* close = new QPushButton(tr("关闭"), this);
    for (QPushButton* b : {edit_, delete_, close})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(edit_);
    buttons->addWidget(delete_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(420, 300);

    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    connect(edit_, &QPushButton::clicked, this, [this] {
        if (ChosenIndex() >= 0)
            notes_->EditNote(ChosenIndex());
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        if (ChosenIndex() >= 0)
            notes_->DeleteNote(ChosenIndex());
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
        if (ChosenIndex() >= 0)
            notes_->EditNote(ChosenIndex());
    });
    connect(list_, &QListWidget::currentRowChanged, this, &NotesDialog::UpdateButtons);
    connect(notes_, &ViewerNotes::NotesChanged, this, &NotesDialog::Refresh);
    Refresh();
}

std::int64_t NotesDialog::ChosenIndex() const {
    const QListWidgetItem* item = list_->currentItem();
    return item ? item->data(Qt::UserRole).toLongLong() : -1;
}

void NotesDialog::Refresh() {
    const std::int64_t chosen = ChosenIndex();
    list_->clear();
    for (const RecordNote& note : notes_->Notes()) {
        auto* item = new QListWidgetItem(notes_->TimeText(note.index) + QStringLiteral("  ") +
                                         QString::fromStdString(note.text));
        item->setData(Qt::UserRole, static_cast<qlonglong>(note.index));
        list_->addItem(item);
        if (note.index == chosen)
            list_->setCurrentItem(item);
    }
    if (!list_->currentItem() && list_->count() > 0)
        list_->setCurrentRow(0);
    UpdateButtons();
}

void NotesDialog::UpdateButtons() {
    const bool chosen = list_->currentItem() != nullptr;
    edit_->setEnabled(chosen);
    delete_->setEnabled(chosen);
}

} // namespace zel
