#pragma once

#include <QString>

#include <string>

namespace kit {
class Node;
class Tree;
}  // namespace kit

namespace vesk {

// The island panel's node tree as text, for diffing what is on screen: one line per retained node
// in pre-order, lines joined by line feeds (no final one). A line is two spaces per level (the
// root at level 0), the node's kind, " x,y wxh" (its frame in its parent, each truncated toward
// zero), " hidden=" (true when the node itself is not painted), " opacity=" (as a 32-bit float in
// its shortest round-trip form, e.g. "1.0" or "0.35") and " filters=" (blur and threshold filters
// acting on it). Nodes that have left the tree are not listed.
namespace LayerDump {

QString text(const kit::Tree &tree);
QString line(const kit::Node &node, int depth);
// The shortest decimal that reads back as the same float, with at least one fractional digit.
QString formatOpacity(float opacity);
// Writes the text atomically; a tree without nodes gives an empty file. A failed write leaves
// nothing behind and is not reported.
void write(const kit::Tree *tree, const std::string &path);

}  // namespace LayerDump

}  // namespace vesk
