#pragma once

#include <QString>
#include <QStringList>

// Writing a script to a file: plain text in the user's encoding with CR LF after every line,
// or rich text when the name ends in ".rtf" in any case.
namespace ScriptFile {

bool IsRichTextName(const QString& path);
// The lines as an RTF document in a monospace font.
QByteArray RichText(const QStringList& lines);
QByteArray PlainText(const QStringList& lines);
// Replaces the file; a file that cannot be written raises an error.
void Save(const QString& path, const QStringList& lines);

}  // namespace ScriptFile
