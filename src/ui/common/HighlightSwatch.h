#pragma once

#include <QIcon>

#include <string_view>

// The small rounded square of a highlight's colour ("yellow", "pink", "blue", "green", "grey"; yellow for none).
QIcon HighlightSwatch(std::string_view color);
