#pragma once

#include <QCheckBox>
#include <QString>

#include <utility>

// A widget made with its object name, by which tests and the described layout find it.
template <class Widget, class... Args> Widget* Named(const char* name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

inline QCheckBox* TickedBox(const char* name, const QString& caption, bool ticked) {
    auto* box = Named<QCheckBox>(name, caption);
    box->setChecked(ticked);
    return box;
}
