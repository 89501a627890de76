#pragma once

#include <QString>

// What the program asks of the desktop shell: opening a document with its associated
// program, and starting a program with an argument text without waiting for it.
// The program never looks at the outcome; the return values serve tests and tools.
class ShellServices {
public:
    virtual ~ShellServices() = default;

    // Opens the file with the desktop's opener ("open" with no arguments, normal window).
    virtual bool openDocument(const QString& path);
    // Starts the program detached, with the argument text handed over as one argument
    // and the given working folder.
    virtual bool startProgram(const QString& program, const QString& arguments,
                              const QString& workingFolder);

    static ShellServices& instance();
    // Replaces the shell (tests install a recorder); nullptr restores the real one.
    static void setInstance(ShellServices* shell);
};
