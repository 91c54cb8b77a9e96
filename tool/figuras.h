// The tool's pictures, drawn for this project: the device, the logo of the
// menu column and the window icon.
#pragma once

#include <QIcon>
#include <QPixmap>

QPixmap FiguraSAT();
QPixmap FiguraLogo();
QIcon IconeJanela();
