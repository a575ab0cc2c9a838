#pragma once

#include "support/desktop.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace sorvane::testing {

// The screen reader a blind pupil uses, Orca, with its speech server, on a desktop: what it
// says is read back from its debug log.
class ScreenReader
{
public:
    ~ScreenReader() { stop(); }

    // Starts Orca as its user would have it, in Italian with its default settings, with a home
    // of its own: speech-dispatcher speaking through espeak-ng into a silent ALSA device (there
    // is no sound server to wait for), and Orca's log written line by line. Whether it speaks.
    bool start(const Desktop& desktop)
    {
        home.emplace();
        const QString dir = home->path();
        const auto write = [&](const QString& name, const QByteArray& text) {
            QDir().mkpath(QFileInfo(dir + name).path());
            QFile f(dir + name);
            return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
        };
        if (!write(QStringLiteral("/.asoundrc"), "pcm.!default { type null }\n") ||
            !write(QStringLiteral("/.config/speech-dispatcher/speechd.conf"),
                   "AudioOutputMethod \"alsa\"\n"
                   "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
                   "DefaultModule espeak-ng\nDefaultLanguage \"it\"\n") ||
            !write(QStringLiteral("/orca/orca-customizations.py"),
                   "from orca import debug\n"
                   "if debug.debugFile:\n"
                   "    debug.debugFile.reconfigure(line_buffering=True)\n") ||
            !QDir().mkpath(dir + QStringLiteral("/run")))
            return false;
        QFile::setPermissions(dir + QStringLiteral("/run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = desktop.environment();
        env.insert(QStringLiteral("HOME"), dir);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir + QStringLiteral("/run"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), dir + QStringLiteral("/.cache"));
        env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
        env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("it"));
        speechServer.setProcessEnvironment(env);
        speechServer.setStandardOutputFile(dir + QStringLiteral("/speechd.out"));
        speechServer.setStandardErrorFile(dir + QStringLiteral("/speechd.out"));
        orca.setStandardOutputFile(dir + QStringLiteral("/orca.out"));
        orca.setStandardErrorFile(dir + QStringLiteral("/orca.out"));
        speechServer.start(
            QStringLiteral("speech-dispatcher"),
            {QStringLiteral("--run-single"), QStringLiteral("--timeout"), QStringLiteral("0")});
        orca.setProcessEnvironment(env);
        orca.start(QStringLiteral("orca"), {QStringLiteral("-u"), dir + QStringLiteral("/orca"),
                                            QStringLiteral("--debug-file=") + log()});
        return speechServer.waitForStarted(10000) && orca.waitForStarted(10000) &&
               waitFor([&] { return !spoken().isEmpty(); }, 30000);
    }

    void stop()
    {
        Desktop::end(orca);
        Desktop::end(speechServer);
        home.reset();
    }

    // Every text Orca has sent to speech so far, in order, without the full stop it adds.
    QStringList spoken() const
    {
        QFile f(log());
        if (!home || !f.open(QIODevice::ReadOnly))
            return {};
        static const QRegularExpression line(
            QStringLiteral("SPEECH OUTPUT: (['\"])(.*)\\1\\s*\\{"));
        QStringList out;
        for (const QByteArray& l : f.readAll().split('\n')) {
            const auto m = line.match(QString::fromUtf8(l));
            if (m.hasMatch()) {
                QString text = m.captured(2);
                if (text.endsWith(u'.') && !text.endsWith(QStringLiteral("..")))
                    text.chop(1);
                out << text;
            }
        }
        return out;
    }

    // Waits until Orca says a text matching `pattern`, at or after the `from`-th; the match.
    QRegularExpressionMatch waitForSpeech(const QString& pattern, qsizetype from = 0,
                                          int ms = 10000) const
    {
        const QRegularExpression re(pattern);
        QRegularExpressionMatch found;
        waitFor(
            [&] {
                const QStringList said = spoken();
                for (qsizetype i = from; i < said.size(); ++i) {
                    found = re.match(said[i]);
                    if (found.hasMatch())
                        return true;
                }
                return false;
            },
            ms);
        if (!found.hasMatch())
            qWarning().noquote() << "not heard:" << pattern << "in"
                                 << spoken().mid(from).join(QStringLiteral(" | "));
        return found;
    }

private:
    QString log() const
    {
        return home ? home->path() + QStringLiteral("/orca-debug.out") : QString();
    }

    QProcess speechServer;
    QProcess orca;
    std::optional<QTemporaryDir> home;
};

} // namespace sorvane::testing
