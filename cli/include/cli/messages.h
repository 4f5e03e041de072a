#pragma once

// What veltra-info says in its own voice (help, usage errors, failures) in the user's
// language: Simplified Chinese under a Chinese locale, English otherwise. The report itself is
// always as the window shows it.

#include <QString>

namespace veltra::cli {

enum class MessageLanguage { Chinese, English };

// Chinese when the first language the locale asks for messages in (LANGUAGE, LC_ALL,
// LC_MESSAGES, then LANG) is Chinese.
MessageLanguage MessageLanguageOfSystem();

struct Messages {
    const char* usage;
    const char* unknownOption;  // %1: the option
    const char* missingFile;
    const char* helpHint;
    const char* cannotBeLoaded;  // %1: the file
};

const Messages& MessagesIn(MessageLanguage language);

}  // namespace veltra::cli
