#pragma once

// A clock list of a test's own, so that removing the last clock quits nothing.

#include "window/ApplicationDelegate.h"
#include "window/TKWWindowController.h"

#include <algorithm>
#include <memory>
#include <vector>

class TestClockList : public ApplicationDelegate
{
public:
    TestClockList() { setDelegate(this); }
    ~TestClockList() override { setDelegate(nullptr); }

    void addClock(std::shared_ptr<TKWWindowController> clock) override
    {
        list.push_back(std::move(clock));
    }
    void removeClock(TKWWindowController *clock) override
    {
        std::erase_if(list, [clock](const auto &entry) { return entry.get() == clock; });
        ++removals;
    }
    std::size_t numberOfClocks() const override { return list.size(); }
    void showMenu(TKWWindowController *, const QPoint &) override {}

    std::vector<std::shared_ptr<TKWWindowController>> list;
    int removals = 0;
};
