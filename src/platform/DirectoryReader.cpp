#include "DirectoryReader.h"

#include "ScriptFiles.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace DirectoryReader {

namespace {

enum class Want { Files, Folders };

bool read(const QString& folder, Want want, QStringList* names)
{
    names->clear();
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return false;
    const int fd = dirfd(dir);
    while (dirent* e = readdir(dir)) {
        const char* raw = e->d_name;
        if (raw[0] == '.')
            continue; // hidden, and "." and ".."
        const QString name = QFile::decodeName(raw);
        if (want == Want::Files && !ScriptFiles::matches(name))
            continue;
        unsigned char type = e->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(fd, raw, &st, 0) != 0)
                continue; // a dangling link
            type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type == (want == Want::Files ? DT_REG : DT_DIR))
            names->append(name);
    }
    closedir(dir);
    ScriptFiles::sortByName(*names);
    return true;
}

} // namespace

bool scriptFiles(const QString& folder, QStringList* names)
{
    return read(folder, Want::Files, names);
}

bool subfolders(const QString& folder, QStringList* names)
{
    return read(folder, Want::Folders, names);
}

} // namespace DirectoryReader
