#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes for tests that look at what lands on disk.
// An unreadable file reads as empty; a failed write fails the calling test.
QByteArray readAll(const QString& path);
void writeFile(const QString& path, const QByteArray& content);
