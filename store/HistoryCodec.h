// Stored records: one record of a history as bytes, and back. Stored data is
// input like any file: the decoder checks every length and value.
#pragma once

#include "board/PWRec.h"

#include <QByteArray>
#include <QString>

QByteArray EncodeRecord(const TPWRec &rec);
// False, with the reason in why, for bytes that are not a record this
// program wrote; rec is then unchanged.
bool DecodeRecord(const QByteArray &bytes, TPWRec &rec, QString *why = nullptr);
