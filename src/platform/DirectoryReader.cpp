#include "DirectoryReader.h"

#include "NativeName.h"
#include "ScriptFiles.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

namespace DirectoryReader {

namespace {

enum class Want { Files, Folders };

// *.vbs, *.js, *.pls in any letter case, tested on the raw bytes, so that only names we keep are decoded.
bool hasScriptExtension(const char* name, size_t len)
{
    auto endsWith = [&](const char* ext, size_t n) {
        if (len <= n)
            return false;
        for (size_t i = 0; i < n; ++i) {
            char c = name[len - n + i];
            if (c >= 'A' && c <= 'Z')
                c = char(c + 32);
            if (c != ext[i])
                return false;
        }
        return true;
    };
    return endsWith(".vbs", 4) || endsWith(".js", 3) || endsWith(".pls", 4);
}

bool read(const QString& folder, Want want, QStringList* names)
{
    names->clear();
    DIR* dir = opendir(NativeName::toBytes(folder).constData());
    if (!dir)
        return false;
    const int fd = dirfd(dir);
    std::vector<ScriptFiles::Named> found;
    while (dirent* e = readdir(dir)) {
        const char* raw = e->d_name;
        if (raw[0] == '.')
            continue; // hidden, and "." and ".."
        const size_t len = strlen(raw);
        if (want == Want::Files && !hasScriptExtension(raw, len))
            continue;
        unsigned char type = e->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(fd, raw, &st, 0) != 0)
                continue; // a dangling link
            type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type != (want == Want::Files ? DT_REG : DT_DIR))
            continue;
        QString name = NativeName::fromBytes(QByteArrayView(raw, qsizetype(len)));
        // Sorted as shown: a name that is not UTF-8 by how it reads.
        std::string key =
            ScriptFiles::sortKey(NativeName::isUnicode(name) ? name : NativeName::display(name));
        found.push_back({std::move(key), std::move(name)});
    }
    closedir(dir);
    *names = ScriptFiles::sortedNames(std::move(found));
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
