#include "window/ApplicationDelegate.h"

namespace {

ApplicationDelegate *current = nullptr;

} // namespace

ApplicationDelegate *ApplicationDelegate::delegate()
{
    return current;
}

void ApplicationDelegate::setDelegate(ApplicationDelegate *delegate)
{
    current = delegate;
}
