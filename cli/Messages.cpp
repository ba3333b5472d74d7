#include "cli/Messages.h"

#include "common/FileLocations.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace zel::cli {
namespace {

std::atomic<UiLanguage> language{UiLanguage::Chinese};

struct Message {
    const char* chinese;
    const char* english;
};

// The tool's own messages and the device layer's texts it prints.
constexpr Message kMessages[] = {
    {"连接设备失败!", "Could not connect to the device!"},
    {"清除数据失败!", "Could not clear the data!"},
    {"清除数据成功!", "The data was cleared!"},
    {"无存储数据!", "No stored data!"},
    {"%1 连接中断, 正在重新连接", "%1 connection lost, reconnecting"},
    {"%1 连接已恢复 (中断于 %2, 第%3次中断)", "%1 connection restored (lost at %2, loss %3)"},
    {"连接到设备出现错误!", "Error connecting to the device!"},
    {"读取设备信息失败!", "Could not read the device information!"},
    {"记录文件写入失败: ", "Could not write the record file: "},
    {"未收到数据", "No data received"},
    {"设备 %1 秒未恢复连接, 录制已结束",
     "The device did not come back within %1 s; the recording has ended"},
    {"未能读取设备状态!", "Could not read the device status!"},
    // cli/SiteLogger.cpp: the lines of an unattended recording
    {"开始记录: 设备 %1, 文件夹 %2", "Recording started: device %1, folder %2"},
    {"开始写入 %1", "Writing %1"},
    {"%1 超限开始: %2 = %3, 限值 %4", "%1 limit event begins: %2 = %3, limit %4"},
    {"%1 超限结束: %2, 持续 %3 秒, 最大 %4", "%1 limit event ended: %2, %3 s, maximum %4"},
    {"正在写入 %1", "Recording into %1"},
    {"已结束 %1, 共 %2 块", "Ended %1, %2 blocks"},
    {"已删除 %1 (%2, %3 至 %4): 最后一块早于 %5 天",
     "Deleted %1 (%2, %3 to %4): its last block is older than %5 days"},
    {"已删除 %1 (%2, %3 至 %4): 可用空间少于 %5", "Deleted %1 (%2, %3 to %4): less than %5 free"},
    {"无法删除 %1: %2", "Could not delete %1: %2"},
    {"无法得知 %1 的可用空间: %2", "Cannot tell the free space of %1: %2"},
    {"可用空间只有 %1, 少于 %2, 已无旧记录可删除, 继续记录",
     "Only %1 free, less than %2, and no old record is left to delete, recording goes on"},
    {"设备编号：", "Device No.: "},
    {"设备版本：", "Version: "},
    {"设备电量：", "Battery: "},
    {"存储记录：", "Stored records: "},
    {"设备时间：", "Device time: "},
    {"设备状态：", "State: "},
    {"CH1电流：", "CH1 current: "},
    {"CH2电流：", "CH2 current: "},
    {"停止命令失败!", "The stop command failed!"},
    {"停止命令已发送", "The stop command was sent"},
    {"时间同步失败!", "Could not set the device's clock!"},
    // device/RecordTransfer.cpp and device/StatusText.cpp
    {"无数据记录或存储信息读取失败!", "No records, or the storage information could not be read!"},
    {"数据传输失败!", "The data transfer failed!"},
    {"数据传输完成!", "The data transfer is complete!"},
    {"保存数据失败!", "Could not save the data!"},
    {"传输已停止", "Transfer stopped"},
    {"准备传输", "Preparing the transfer"},
    {"正在读取存储信息", "Reading the storage information"},
    {"第%1帧/共%2帧", "Frame %1 of %2"},
    {"正在保存数据", "Saving the data"},
    {"测量状态", "Measuring"},
    {"查看状态", "Viewing"},
    {"回放状态", "Playback"},
    {"错误", "Error"},
};

const char* English(std::string_view chinese) {
    for (const Message& m : kMessages)
        if (chinese == m.chinese)
            return m.english;
    return nullptr;
}

} // namespace

void SetMessageLanguage(UiLanguage chosen) {
    language.store(chosen);
}

UiLanguage MessageLanguage() {
    return language.load();
}

UiLanguage MessageLanguageForThisProcess() {
    // Only read: asking for help or a version must not create the configuration folder.
    return ResolveLanguage(ReadLanguageChoice(FileLocations::ForThisProcess().ConfigFile()),
                           LanguageForLocale(MessagesLocaleFromEnvironment()));
}

std::string Say(const char* chinese, std::initializer_list<std::string> arguments) {
    const char* english = MessageLanguage() == UiLanguage::English ? English(chinese) : nullptr;
    const std::string_view text = english ? english : chinese;
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t n =
            i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - '1') : 99;
        if (text[i] == '%' && n < arguments.size()) {
            out += arguments.begin()[n];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string SayDevice(const std::string& chinese) {
    // The progress comes formatted: "第%d帧/共%d帧".
    int done = 0, total = 0, used = 0;
    if (std::sscanf(chinese.c_str(), "第%d帧/共%d帧%n", &done, &total, &used) == 2 &&
        static_cast<std::size_t>(used) == chinese.size())
        return Say("第%1帧/共%2帧", {std::to_string(done), std::to_string(total)});
    return Say(chinese.c_str());
}

bool HasEnglish(const std::string& chinese) {
    return English(chinese) != nullptr;
}

} // namespace zel::cli
