#pragma once

#include "game/bgrcolor.h"

#include <QFont>
#include <QLabel>
#include <QString>

#include <optional>

namespace sorvane {

// A label of the fixed-layout window. Its caption reads back exactly as set, line ends
// included. Transparent unless it has a background colour; a border is one black line around
// it, `line` pixels wide; one that sizes to its text resizes to its caption whenever the caption
// changes, keeping its top left corner.
class Label : public QLabel
{
public:
    struct Look
    {
        BgrColor text = 0;
        std::optional<BgrColor> background; // none: transparent
        QFont font;
        bool centred = false;
        bool border = false;
        bool wordWrap = true;
        bool sizesToText = false;
        int line = 1;

        Look(BgrColor textColor, QFont textFont) : text(textColor), font(std::move(textFont)) {}
        Look& on(BgrColor backgroundColor)
        {
            background = backgroundColor;
            return *this;
        }
        Look& centre()
        {
            centred = true;
            return *this;
        }
        Look& bordered()
        {
            border = true;
            return *this;
        }
        Look& sizedToText()
        {
            sizesToText = true;
            return *this;
        }
    };

    Label(QWidget* parent, const QString& objectName, const QString& caption, QRect place,
          const Look& look);

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    int border_; // the border's width; 0 for none
    bool sizesToText_;
};

// A filled rectangle with a border `line` pixels wide.
class Shape : public QWidget
{
public:
    Shape(QWidget* parent, const QString& objectName, QRect place, QColor fill, QColor border,
          int line = 1);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    QColor border_;
    int line_;
};

} // namespace sorvane
