#pragma once

#include <QString>
#include <functional>
#include <optional>

class TPRDelete;
class Tdm;

// Deleting the current project with its time entries, its tasks and its documents folder,
// after the user's Yes, while the window TPRDelete names each step.
//
// Nothing is left half-deleted: the documents folder is first moved aside, the three rows go
// in one write, and only then is the folder removed for good; when the write fails the folder
// is put back. A documents folder that another project also resolves to stays, and the user is
// told. Links inside the folder are removed as links; where they lead is never touched.
class ProjectDeletion {
public:
    struct Parts {
        Tdm* dm = nullptr;
        TPRDelete* window = nullptr;
        // The database folder, empty or ending in "/".
        std::function<QString()> databaseFolder;
        // Before the files go: the files page lets go of the project's folder.
        std::function<void()> releaseFiles;
        // Re-runs the project list (after a write that failed once the list had dropped the row).
        std::function<void()> rerunList;
    };

    explicit ProjectDeletion(Parts parts);

    // BTN_PRDelClick: asks, then deletes the current project. Without a current project it does
    // nothing. Throws for an engine error or a folder that cannot be moved; everything is then
    // as before and the window is hidden.
    void run();

private:
    std::optional<QString> otherProjectUsing(int nr, const QString& folderName);
    bool moveToCurrent(int nr);
    void execute(const QString& statement);

    Parts p;
};
