#pragma once

// The application controller: launch, the clock list, the tick.
class TKWController
{
public:
    // The class set-up that precedes everything else: the registered defaults of
    // the application. Runs once per process.
    static void initialize();
};
