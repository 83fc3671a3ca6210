#include <platform/machine/linuxmachinefacts.h>

#include <atomic>

namespace kolvar {

namespace {
std::atomic<const MachineFacts *> installed{nullptr};
}

const MachineFacts &MachineFacts::system()
{
    if (const MachineFacts *f = installed.load())
        return *f;
    static const LinuxMachineFacts real;
    return real;
}

void MachineFacts::install(const MachineFacts *facts)
{
    installed.store(facts);
}

} // namespace kolvar
