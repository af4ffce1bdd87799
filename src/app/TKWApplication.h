#pragma once

#include <QApplication>

// The application object.
class TKWApplication : public QApplication
{
    Q_OBJECT

public:
    TKWApplication(int &argc, char **argv);
};
