#include "publish/ConsoleHost.h"

namespace vorlund::publish {

void ConsoleHost::SetBarPosition(int32_t position) {
    if (maximum_ <= 0)
        return;
    const int tenths = static_cast<int>(static_cast<int64_t>(position) * 10 / maximum_);
    if (tenths <= shown_)
        return;
    shown_ = tenths;
    say_("  " + std::to_string(tenths * 10) + " %");
}

} // namespace vorlund::publish
