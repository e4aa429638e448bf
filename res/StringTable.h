#pragma once

#include <QString>

// The program's texts, each under its string id. `&` marks a mnemonic as in Qt.
// An unknown id gives an empty text.
QString LoadString(int id);
