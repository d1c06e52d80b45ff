#pragma once

#include <QObject>

// Enumerations shared by the models and the QML user interface ("CTypes").
class CQmlTypes : public QObject
{
    Q_OBJECT
public:
    enum DisplayType
    {
        Urls = 0,
        Html = 1,
        Image = 2,
        Color = 3,
        Text = 4,
        Unknown = 5
    };
    Q_ENUM(DisplayType)

    enum QuickpasteHideStyle
    {
        ItemPasted = 0,
        FocusLost = 1
    };
    Q_ENUM(QuickpasteHideStyle)

    using QObject::QObject;
};
