#pragma once

#include <QByteArray>
#include <QImage>

#include <string>

namespace vesk::debugfiles {

// PNG bytes of an image; empty when it cannot be encoded. Safe on any thread.
QByteArray png(const QImage &image);
// Writes the bytes to a temporary name in the file's folder and renames it over the file, so a
// reader never sees half of one. Missing folders are made. Errors are ignored (false). Safe on any
// thread; nothing is synced to disk, as these files are for looking at right away.
bool replace(const std::string &path, const QByteArray &bytes);
// `folder` joined with `name` ("" = the working directory).
std::string join(const std::string &folder, const std::string &name);

}  // namespace vesk::debugfiles
