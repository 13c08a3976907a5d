// What the wizard's pages share: the banner across their top and the 24 x 24 button
// pictures (the project's own artwork, drawn here).
#pragma once

#include <QIcon>
#include <QPainter>
#include <QPushButton>

namespace rescuva::app {

enum class ButtonPicture { kForward, kBack, kStop, kFinish };

// The banner (1491 x 36) at the top-left corner of a page.
void DrawBanner(QPainter& painter);
QIcon ButtonIcon(ButtonPicture picture);
// A page button with its picture and caption.
QPushButton* PageButton(const QString& caption, ButtonPicture picture, QWidget* parent);

}  // namespace rescuva::app
