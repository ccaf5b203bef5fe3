#pragma once

#include "MarkupRenderer.h"

// A drawing as the reader showed it: the page's JPEG with the ink layer's SVG painted over it, as PNG.
class InkOverPageRenderer : public MarkupRenderer {
public:
    std::optional<std::string> RenderPng(const std::filesystem::path& ink,
                                         const std::filesystem::path& page) const override;
};
