// Linked into the command-line tool's tests: the tool started as a child process says its
// messages in Chinese, as the tests hold them, whatever the machine's locale.
#include <cstdlib>

namespace {

struct ChineseMessages {
    ChineseMessages() { ::setenv("LC_ALL", "zh_CN.UTF-8", 1); }
};

const ChineseMessages chinese;

} // namespace
