// quillet-encode: encodes scripts as the Windows Script Encoder does, and checks encoded ones.

#include "EncodeCommand.h"

#include <cstdio>

namespace {

void print(std::FILE* to, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        const QString a = QString::fromLocal8Bit(raw);
        // A name that is not UTF-8 would come back as another file's name.
        if (a.toLocal8Bit() != raw) {
            print(stderr, QStringLiteral("%1: ファイル名が UTF-8 ではないため扱えません。\n").arg(a));
            return 1;
        }
        arguments.append(a);
    }
    const EncodeCommand::Outcome outcome = EncodeCommand::main(arguments);
    print(stdout, outcome.out);
    print(stderr, outcome.err);
    return std::fflush(stdout) == 0 ? outcome.exitCode : 1;
}
