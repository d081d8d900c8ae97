#pragma once

#include <QByteArray>

class QImageReader;

namespace vesk {

// The image format that bytes begin with, among those Vesk meets in artwork and icons ("png",
// "jpeg", "gif", "webp", "bmp", "xpm"), or empty; an icon file's suffix adds "svg" and "svgz".
QByteArray imageFormatOf(const QByteArray &head);

// Tells the reader which format its device holds when that is known, so that Qt opens that one
// decoder instead of loading every image plugin to ask each in turn (a dozen libraries and over a
// megabyte of resident memory for the rest of the process). Unknown, the reader detects as before.
void nameImageFormat(QImageReader &reader, const QByteArray &suffix = {});

}  // namespace vesk
