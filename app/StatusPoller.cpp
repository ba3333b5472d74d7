#include "app/StatusPoller.h"

#include "device/StatusText.h"
#include "widgets/Translations.h"

#include <QCoreApplication>
#include <thread>

namespace zel {
namespace {

// The poller's texts are made on its thread; the translators are read under Qt's lock.
std::string Tr(const char* text) {
    return QCoreApplication::translate("zel::StatusPoller", text).toStdString();
}

} // namespace

void FillInstrumentTexts(const DeviceStatus* s, PollerUpdate& u) {
    if (!s) {
        u.instrument = {Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "连接状态：未连接")),
                        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "设备编号：")),
                        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "设备版本：")),
                        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "设备电量：")),
                        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "设备状态: ")),
                        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "设备时间："))};
        u.ch1 = u.ch2 = "0A";
        return;
    }
    u.instrument = {
        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "连接状态：已连接")),
        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "设备编号：")) + DeviceNumberText(s->serial),
        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "设备版本：")) + VersionText(s->version),
        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "设备电量：")) + BatteryText(s->battery),
        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "设备状态：")) +
            DeviceText(StateText(s->state)).toStdString(),
        Tr(QT_TRANSLATE_NOOP("zel::StatusPoller", "设备时间：")) + ClockText(*s)};
    u.ch1 = CurrentText(s->ch1Current);
    u.ch2 = CurrentText(s->ch2Current);
}

StatusPoller::StatusPoller(DeviceLink& link, WifiProbe probe, Publish publish)
    : link_(link), probe_(std::move(probe)), publish_(std::move(publish)), stopper_(link) {}

StatusPoller::~StatusPoller() {
    Stop();
}

void StatusPoller::Start() {
    if (stopper_.Started())
        Stop();
    cancelled_.store(false);
    stopSource_ = std::stop_source();
    const int generation = generation_.fetch_add(1) + 1;
    stopper_.Start([this, generation, stop = stopSource_.get_token()] { Run(generation, stop); },
                   [this] { cancelled_.store(true); });
}

bool StatusPoller::Stop() {
    if (!stopper_.Started())
        return true;
    // The probe may be waiting on the Wi-Fi service; the link's abort does not reach it.
    stopSource_.request_stop();
    const bool ended = stopper_.Stop();
    // Whatever connection the poller had open is released here.
    link_.Close();
    return ended;
}

bool StatusPoller::Connected() const {
    std::lock_guard lock(mutex_);
    return connected_;
}

DeviceStatus StatusPoller::LastStatus() const {
    std::lock_guard lock(mutex_);
    return status_;
}

void StatusPoller::SetLastStatus(const DeviceStatus& status) {
    std::lock_guard lock(mutex_);
    status_ = status;
}

void StatusPoller::Send(const PollerUpdate& update) {
    // A cancelled poller touches nothing more.
    if (!cancelled_.load() && publish_)
        publish_(update);
}

bool StatusPoller::SleepWhileRunning(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    while (stopper_.Running().load() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return stopper_.Running().load();
}

void StatusPoller::Run(int generation, std::stop_token stop) {
    bool wifiOk = false;
    {
        std::lock_guard lock(mutex_);
        connected_ = false;
    }
    PollerUpdate first;
    first.generation = generation;
    FillInstrumentTexts(nullptr, first);
    Send(first);

    while (stopper_.Running().load() && !cancelled_.load()) {
        PollerUpdate update;
        update.generation = generation;
        if (!wifiOk) {
            WifiStatusTexts texts;
            wifiOk = probe_ && probe_(texts, stop);
            // A probe cut short by the stop found nothing worth showing.
            if (stop.stop_requested())
                return;
            for (std::size_t i = 0; i < texts.size(); ++i)
                update.wifi[i] = texts[i].toStdString();
            update.hasWifi = true;
        }
        const bool ok = PollInstrument(wifiOk, update);
        if (cancelled_.load())
            return;
        if (!ok)
            wifiOk = false;
        {
            std::lock_guard lock(mutex_);
            connected_ = ok;
            update.syncEnabled = ok && status_.state == kStateViewing;
        }
        update.connected = ok;
        Send(update);
        if (!SleepWhileRunning(std::chrono::milliseconds(500)))
            return;
    }
}

bool StatusPoller::PollInstrument(bool wifiOk, PollerUpdate& update) {
    FillInstrumentTexts(nullptr, update);
    if (!wifiOk)
        return false;
    if (!link_.Connect())
        return false;
    DeviceStatus status;
    const bool answered = link_.QueryStatus(status);
    // A cancelled poller leaves the link alone: its owner closes it after the join.
    if (cancelled_.load())
        return false;
    if (!answered) {
        link_.Close();
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        status_ = status;
    }
    FillInstrumentTexts(&status, update);
    link_.Close();
    return true;
}

} // namespace zel
