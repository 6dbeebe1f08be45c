#include "core/platform/FaultInjection.h"

#include <array>
#include <atomic>
#include <mutex>

#include "core/platform/VbError.h"

namespace tessarin::faults {
namespace {

struct Armed {
    int remaining = 0;  // operations of this kind until the failing one; 0 = off
    int errorNumber = 0;
};

constexpr std::size_t kOps = 5;

// The flag keeps the unarmed path to one relaxed load and a branch.
std::atomic<bool> g_anyArmed{false};
std::mutex g_mutex;
std::array<Armed, kOps> g_armed{};

void UpdateFlagLocked() {
    bool any = false;
    for (const Armed& a : g_armed) {
        any = any || a.remaining > 0;
    }
    g_anyArmed.store(any, std::memory_order_relaxed);
}

}  // namespace

void FailAt(Op op, int nth, int errorNumber) {
    std::lock_guard lock(g_mutex);
    Armed& a = g_armed[static_cast<std::size_t>(op)];
    a.remaining = nth > 0 ? nth : 0;
    a.errorNumber = errorNumber;
    UpdateFlagLocked();
}

void Reset() {
    std::lock_guard lock(g_mutex);
    g_armed = {};
    g_anyArmed.store(false, std::memory_order_relaxed);
}

void Check(Op op) {
    if (!g_anyArmed.load(std::memory_order_relaxed)) {
        return;
    }
    int errorNumber = 0;
    {
        std::lock_guard lock(g_mutex);
        Armed& a = g_armed[static_cast<std::size_t>(op)];
        if (a.remaining == 0 || --a.remaining > 0) {
            return;
        }
        errorNumber = a.errorNumber;  // one-shot: this kind is disarmed now
        UpdateFlagLocked();
    }
    throw VbError(errorNumber);
}

}  // namespace tessarin::faults
