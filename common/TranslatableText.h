#pragma once

// Marks a text of the Qt-free layers for Qt's translation tools (lupdate finds the macro by its
// name) without bringing in Qt: the text stays the Chinese source text, and the Qt program
// translates it where it shows it, with QCoreApplication::translate and the same context
// ("zel::DeviceText" for the device layer).
// zelmarine-cli has its own table of the texts it prints (cli/Messages.h).
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif
