#include "live/LiveRecordSink.h"

#include "common/LocalTime.h"
#include "widgets/CTimeWnd.h"
#include "widgets/MessageBox.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>

#include <algorithm>
#include <system_error>

namespace zel {

LiveRecordSink::LiveRecordSink(QWidget* window, CTimeWnd* infoBar, const std::string& prefix,
                               const DeviceStatus& status, const std::string& directory,
                               BlockHandler handler)
    : window_(window), infoBar_(infoBar),
      recorder_(prefix, static_cast<std::uint16_t>(status.serial),
                static_cast<std::uint16_t>(status.version), directory),
      handler_(std::move(handler)) {}

void LiveRecordSink::onFirstBlock() {
    if (!recorder_.BeginRun())
        ReportSaveFailure();
    infoBar_->SetStartTime(
        QString::fromStdString(FormatLocalTime(NowSeconds(), "%Y-%m-%d %H:%M:%S")));
}

void LiveRecordSink::onNextStretch() {
    if (!recorder_.Failed() && !recorder_.BeginStretch())
        ReportSaveFailure();
}

void LiveRecordSink::onBlock(const SampleBlock& block, int count) {
    // A run whose file failed is reported once and records nothing more.
    if (!recorder_.Failed() && !recorder_.Record(block))
        ReportSaveFailure();
    if (handler_)
        handler_(block);
    infoBar_->SetDataCount(QString::number(count));
}

void LiveRecordSink::onConnectFailed() {
    ShowError(QCoreApplication::translate("zel::LiveRecordSink", "连接到设备出现错误!"));
}

void LiveRecordSink::onLinkEvent(const LinkEvent& event) {
    if (event.kind == LinkEvent::Kind::Lost && gapHandler_)
        gapHandler_();
    QPointer<QLabel> line = linkLine_;
    if (!line)
        return;
    const QString text = LinkText(event);
    const bool down = event.kind != LinkEvent::Kind::Resumed;
    const auto state = lineState_;
    const unsigned run = state->run.load();
    QMetaObject::invokeMethod(
        line.data(),
        [line, state, run, text, down] {
            if (!line || state->run.load() != run)
                return;
            state->down = down;
            line->setStyleSheet(down ? QStringLiteral("color: #C00000;") : QString());
            line->setText(text);
        },
        Qt::QueuedConnection);
}

void LiveRecordSink::ClearLinkLine() {
    ++lineState_->run;
    lineState_->down = false;
    if (linkLine_) {
        linkLine_->setStyleSheet(QString());
        linkLine_->clear();
    }
}

void LiveRecordSink::EndRun() {
    ++lineState_->run;
    if (lineState_->down)
        ClearLinkLine();
}

QString LiveRecordSink::LinkText(const LinkEvent& event) {
    if (event.kind == LinkEvent::Kind::Resumed)
        return QCoreApplication::translate("zel::LiveRecordSink", "连接已恢复，本次共中断%1次")
            .arg(event.drops);
    const QString time = QString::fromStdString(FormatLocalTime(event.lostAt, "%H:%M:%S"));
    return QCoreApplication::translate("zel::LiveRecordSink", "连接中断 %1，正在重新连接(第%2次)…")
        .arg(time)
        .arg(std::max(1, event.attempt));
}

QString LiveRecordSink::SaveFailureText(const std::string& where, int error) {
    return QCoreApplication::translate("zel::LiveRecordSink", "保存数据失败!\n%1\n%2")
        .arg(QFile::decodeName(QByteArray::fromStdString(where)),
             QString::fromStdString(std::generic_category().message(error)));
}

void LiveRecordSink::ReportSaveFailure() {
    const std::string path = recorder_.Path();
    ShowError(SaveFailureText(path.empty() ? recorder_.Folder() : path, recorder_.Error()));
}

void LiveRecordSink::ShowError(const QString& text) {
    QPointer<QWidget> window = window_;
    if (!window)
        return;
    QMetaObject::invokeMethod(
        window.data(),
        [window, text] {
            if (window && window->isVisible())
                MessageBox::Error(window, text);
        },
        Qt::QueuedConnection);
}

} // namespace zel
