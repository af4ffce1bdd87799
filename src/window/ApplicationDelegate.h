#pragma once

#include <cstddef>
#include <memory>

class TKWWindowController;

// What a clock needs of the application: the clock list, which owns every clock.
// The application controller is the one delegate; clocks find it here.
class ApplicationDelegate
{
public:
    virtual ~ApplicationDelegate() = default;

    virtual void addClock(std::shared_ptr<TKWWindowController> clock) = 0;
    // When the list is empty afterwards, the application quits once the current
    // event has been handled.
    virtual void removeClock(TKWWindowController *clock) = 0;
    virtual std::size_t numberOfClocks() const = 0;
    // The clock's menu (right button): the application's commands.
    virtual void showMenu(TKWWindowController *clock, const class QPoint &globalPosition) = 0;

    static ApplicationDelegate *delegate();
    static void setDelegate(ApplicationDelegate *delegate);
};
