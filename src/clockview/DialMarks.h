#pragma once

#include "graphics/Geometry.h"
#include "settings/ClockModel.h"

#include <QString>
#include <QStringList>
#include <QTransform>

#include <utility>

namespace tockwise {

// The face, its border and the hour and minute marks, in the coordinates of one
// mark: origin at the dial centre, x outward along the mark; r is the dial radius.
namespace DialMarks {

// Hour marks run clockwise: the first angle is the first hour's, and every next
// mark is `step` degrees further on (a running single-precision value).
struct Marks
{
    int count = 0;
    float firstAngle = 0;
    float step = 0;
};

Marks hourMarks(bool twentyFour);
// Every fifth position is an hour's and is left out.
Marks minuteMarks(bool twentyFour);

Rect dotRect(float r);
Point labelAnchor(float r);
// 0 asks for the standard size, as happens below a radius of 5 (or 8 on 24 hours).
float labelFontSize(float r, bool twentyFour);
// The label of hour mark `index` (0-based) for a pip style; empty where none.
QString hourLabel(ClockModel::PipStyle style, int index, const QStringList &romanNumerals);
std::pair<Point, Point> minuteTick(float r);

// The face disc, centred in the view's bounds.
Rect faceDisc(const Rect &bounds, float r);
// The border is the disc drawn 0.99 times as large about (r, r), this wide.
float borderLineWidth(float r);
QTransform borderTransform(float r);

} // namespace DialMarks

} // namespace tockwise
