// Icons and hints of actions: the desktop theme's icon, else one drawn here.
#pragma once
#include <QColor>
#include <QIcon>
#include <QString>

class QAction;

namespace looks {

// The glyph in white on a rounded square of the colour.
QIcon DrawnIcon(const QString& glyph, const QColor& colour);
// The theme's icon of that name, else the drawn one.
QIcon ThemedIcon(const char* theme, const char* glyph, unsigned colour);
// Gives the action its icon and its hint as status text and tool tip (with the shortcut).
void Dress(QAction* a, const QIcon& icon, const char* hint);
// The report window's actions, known by their object names; others are left as they are.
void DressReportAction(QAction* a);

}  // namespace looks
