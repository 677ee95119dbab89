#pragma once
// Every file the program writes goes through here. The bytes go to a temporary file beside the
// target; every write, the sync and the close are checked before the temporary file is renamed
// over the old one, so a failure at any point leaves the old file byte for byte and says why in
// French. Reads refuse what is not a regular file, so a FIFO or a device never blocks the program.
//
//     QString why;
//     if (!safefile::write(path, bytes, &why)) ... // why: "disque plein", "accès refusé" ...
//
//     safefile::FileSet set;                      // files that must change together
//     set.add(hpj, hpjBytes) && set.add(rtf, rtfBytes) && set.commit();
//     ... a later step fails: set.revert() brings every old file back.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace safefile {

// The French reason for a system error number ("disque plein", "accès refusé", ...).
QString reason(int errorNumber);

// Reads a whole regular file; false with the reason. Folders, FIFOs and devices are refused
// without waiting on them.
bool read(const QString& path, QByteArray& bytes, QString* error = nullptr);

// Empty when `path` is a regular file, else why it cannot be read as one (French).
QString notRegularFile(const QString& path);

// Replaces the file at `path` (a symbolic link's target) with `bytes`. False with the reason;
// the old file is then untouched. What an earlier write of the same file left when its program
// was killed (its hidden temporary file) is removed first.
bool write(const QString& path, QByteArrayView bytes, QString* error = nullptr);

// Files replaced together: after commit() they are all new; after a failure, all old. While a
// set is being committed (and until keep() or revert()), a journal beside the files lists the old
// ones: when the program is killed in between, the next set written in that folder first puts
// the old files back (recoverSets), so a kill never leaves a mix of old and new either, as long
// as nobody changed them since (see recoverSets).
class FileSet {
public:
    FileSet() = default;
    ~FileSet(); // drops what was staged but not committed; keeps what was committed
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    // Writes `bytes` to a temporary file beside `path`. After a failure the set commits nothing.
    bool add(const QString& path, QByteArrayView bytes);
    // A file (or folder) made from the set's files after commit (the help file of a build): when
    // it has changed after the set's program was killed, the set was put to use and stays new.
    void watch(const QString& path);
    // Puts every staged file in place; on a failure every old file is back and no new one stays.
    bool commit();
    // After commit(): a later step failed, the old files come back (a file that did not exist
    // before is removed). False when one could not be put back (`error()` says which).
    bool revert();
    // After commit(): the old files are not needed any more.
    void keep();

    bool committed() const { return committed_; }
    bool failed() const { return failed_; }
    QString failedPath() const { return failedPath_; } // the file that failed, as given
    QString error() const { return error_; }            // why, in French
    // What add() found and did about sets of killed programs (recoverSets), in French.
    QStringList notes() const { return notes_; }

private:
    struct Entry {
        QString path;   // as given
        QString target; // where the bytes go (a link's target)
        QString temp;
        QString backup; // the old file under a temporary name while the set may still be reverted
        bool existed = false;
        int lock = -1;   // held on the temporary file: a live writer's file is never taken for a leftover
        QByteArray made; // the new file's identity, for the journal
    };
    bool fail(const QString& path, const QString& why);
    bool putBack(Entry& e);
    int openJournal();
    void closeJournal();
    void dropTemps();
    void dropBackups();

    std::vector<Entry> entries_;
    QStringList watched_;
    QStringList notes_;
    bool failed_ = false;
    bool committed_ = false;
    QString failedPath_;
    QString error_;
    QString restoreError_;
    int journal_ = -1; // open and locked while the set may still need its old files
    QString journalPath_;
};

// A folder written file by file that then takes the place of another folder whole (a help site).
// Until commit() the files live in a hidden folder beside the target; an earlier folder at the
// target stays as it was until the new one is complete, and a failure at any point leaves it so.
class NewFolder {
public:
    explicit NewFolder(const QString& target);
    ~NewFolder(); // a folder never committed leaves nothing behind
    NewFolder(const NewFolder&) = delete;
    NewFolder& operator=(const NewFolder&) = delete;

    // Makes the hidden folder (and the target's missing parents). False with the reason.
    bool open(QString* error);
    // One new file; `name` is relative to the folder, with '/' before its subfolders.
    bool add(const QString& name, QByteArrayView bytes, QString* error);
    // A new file that is the same as `existing` in the open folder `folder` (a hard link): false
    // when that cannot be.
    bool addSame(const QString& name, int folder, const QByteArray& existing);
    // Puts the folder in the target's place; the earlier one is removed. Nothing is synced: a
    // folder is output that its next build makes again, and is not worth waiting for the disk.
    bool commit(QString* error);

    QString target() const { return target_; }

private:
    bool makeSubfolders(const QString& name, QString* error);
    QString target_;
    QString work_;
    int lock_ = -1; // held on the hidden folder while this program writes it
};

// Puts back the old files of every set in `folder` whose program was killed between its commit
// and its keep() or revert(), but only while every file of the set is still the one that program
// left (the new file it wrote, or the old one it had not replaced yet) and no watched file
// changed: a file edited or rebuilt since stays as it is, and the set with it. A set still in the
// hands of a living program is left alone. Returns what was done, in French, for the author.
QStringList recoverSets(const QString& folder);

// The seam through which tests make any step fail. The hook is called before each step with the
// target's name as given; a non-zero return is the system error number the step fails with.
enum class Step {
    Create, // the temporary file
    Write,  // one piece of the bytes (large files are written in several pieces)
    Sync,
    Close,
    Backup, // keeping the old file of a set until it is committed
    Journal, // the list of a set's old files, written before the first rename
    Rename, // the temporary file over the target
    Restore, // an old file of a set put back
    Folder  // a folder made for the files (a new folder's hidden folder and subfolders)
};
using FaultHook = std::function<int(Step step, const QString& path)>;
void setFaultHook(FaultHook hook); // an empty hook removes it

// Size of the pieces a file is written in.
inline constexpr qsizetype WritePiece = 1 << 16;

} // namespace safefile
