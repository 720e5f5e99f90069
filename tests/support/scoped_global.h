#pragma once

#include <functional>
#include <utility>

namespace tintwell::test {

// Sets a process-wide value (the format settings, the display info, a system colour) for the rest
// of a scope and puts back what it replaced when the scope ends, also when the test ends by an
// exception or a failed ASSERT. The setter returns the value it replaced, so nothing is read
// separately beforehand that could disagree with what the setter changed.
template <typename TValue> class TScopedGlobal {
public:
    template <typename TSetter>
    TScopedGlobal(TSetter setter, TValue value)
        : FSetter(std::move(setter)), FSaved(FSetter(std::move(value))) {}
    ~TScopedGlobal() { FSetter(std::move(FSaved)); }
    TScopedGlobal(const TScopedGlobal&) = delete;
    TScopedGlobal& operator=(const TScopedGlobal&) = delete;

    // What was in place before the scope began.
    const TValue& Saved() const noexcept { return FSaved; }

private:
    std::function<TValue(TValue)> FSetter;
    TValue FSaved;
};

} // namespace tintwell::test
