#pragma once

#include <cstddef>
#include <string_view>

// The engine parses sections into a tree that it renders, checks and frees by recursion, and keeps the text of every
// section within each one: a template of thousands of nested sections exhausts the stack or the memory before any
// check of its own can run. This scan finds such a template first, reading tags as the engine does (its set-delimiter
// tags and its triple braces included).
// The position of the first section opened deeper than most, or npos. A template the engine will refuse for its
// syntax may come back as npos: the engine's own message then tells what is wrong.
std::size_t FirstSectionDeeperThan(std::string_view text, std::size_t most);
