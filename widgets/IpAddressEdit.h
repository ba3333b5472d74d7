#pragma once

#include <QLineEdit>
#include <QWidget>
#include <array>

namespace zel {

// An IPv4 address field: four numeric fields of 0 to 255 separated by dots. text() gives the
// dotted form and counts an empty field as 0, so the field always yields a whole address.
class IpAddressEdit : public QWidget {
    Q_OBJECT

public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    QString text() const;
    // Takes a dotted text; parts that are not numbers of 0 to 255 leave their field empty.
    void setText(const QString& text);
    QLineEdit* Field(int index) const { return fields_[static_cast<std::size_t>(index)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::array<QLineEdit*, 4> fields_{};
};

} // namespace zel
