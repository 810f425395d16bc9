#include "data/Configuration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

Configuration Configuration::read(const QString& path) {
    Configuration config;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return config;
    }
    bool inSection = false;
    bool repSeen = false;
    bool modelesSeen = false;
    // The first occurrence of a key wins, as the system's reader has always done.
    const auto take = [](const QString& key, const QString& value, const QString& name,
                         QString& target) {
        if (target.isNull() && key.compare(name, Qt::CaseInsensitive) == 0) {
            target = value.isNull() ? QStringLiteral("") : value;
            return true;
        }
        return false;
    };
    while (!file.atEnd()) {
        // The file is written by hand on Windows: take its bytes as the local 8-bit text
        // unless they are valid UTF-8.
        const QByteArray raw = file.readLine();
        QString line = QString::fromUtf8(raw);
        if (line.contains(QChar::ReplacementCharacter)) {
            line = QString::fromLatin1(raw);
        }
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) {
            continue;
        }
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QString section = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = section.compare(QStringLiteral("CheminBase"), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection) {
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) {
            continue;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed().left(kMaxValueLength);
        // The first occurrence of a key wins, as the system's reader has always done.
        if (!repSeen && key.compare(QStringLiteral("Rep"), Qt::CaseInsensitive) == 0) {
            config.rep = value;
            repSeen = true;
        } else if (!modelesSeen &&
                   key.compare(QStringLiteral("Modelessexcel"), Qt::CaseInsensitive) == 0) {
            config.modelesExcel = value;
            modelesSeen = true;
        } else if (!take(key, value, QStringLiteral("Utilisateur"), config.utilisateur) &&
                   !take(key, value, QStringLiteral("MotDePasse"), config.motDePasse)) {
            take(key, value, QStringLiteral("Role"), config.role);
        }
    }
    return config;
}

db::Credentials Configuration::credentials() const {
    db::Credentials credentials;
    QString user = utilisateur;
    QString password = motDePasse;
    if (user.isNull() && password.isNull()) {
        // Firebird's own variables, as its tools read them.
        user = qEnvironmentVariableIsSet("ISC_USER") ? qEnvironmentVariable("ISC_USER") : QString();
        password = qEnvironmentVariableIsSet("ISC_PASSWORD") ? qEnvironmentVariable("ISC_PASSWORD")
                                                             : QString();
        if (user.isNull() && password.isNull()) {
            return credentials;
        }
    } else {
        credentials.role = role;
    }
    if (!user.trimmed().isEmpty()) {
        credentials.user = user.trimmed();
    }
    credentials.password = password.isNull() ? QString() : password;
    return credentials;
}

QString Configuration::defaultPath() {
    return QDir::current().absoluteFilePath(QStringLiteral("../CheminBase.ini"));
}

QString Configuration::userPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("CheminBase.ini"));
}

QString Configuration::systemPath() {
    QString folder = qEnvironmentVariable(kSystemFolderVariable);
    if (folder.isEmpty()) {
        folder = QStringLiteral("/etc/ardoz");
    }
    return QDir(folder).filePath(QStringLiteral("CheminBase.ini"));
}

QStringList Configuration::searchPaths() {
    return {defaultPath(), userPath(), systemPath()};
}

QString Configuration::findPath() {
    for (const QString& path : searchPaths()) {
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return QString();
}

Configuration Configuration::find() {
    // None found: the file beside the working folder, whose absence gives the defaults.
    const QString path = findPath();
    return read(path.isEmpty() ? defaultPath() : path);
}

QString Configuration::writeNew(const QString& path, const QString& folder) {
    const QFileInfo info(path);
    if (info.exists()) {
        return QStringLiteral("Le fichier de configuration %1 existe déjà : il n'est pas remplacé.")
            .arg(QDir::toNativeSeparators(path));
    }
    if (folder.contains(u'\n') || folder.contains(u'\r')) {
        return QStringLiteral(
            "Un dossier dont le nom tient sur plusieurs lignes ne peut pas être "
            "écrit dans le fichier de configuration.");
    }
    const QString refused =
        QStringLiteral("Le fichier de configuration %1 ne peut pas être écrit : %2")
            .arg(QDir::toNativeSeparators(path));
    if (!QDir().mkpath(info.absolutePath())) {
        return refused.arg(QStringLiteral("son dossier ne peut pas être créé."));
    }
    // Written whole or not at all; UTF-8, as the reader takes it first.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return refused.arg(file.errorString());
    }
    const QString text = QStringLiteral("[CheminBase]\nRep=%1\nModelessexcel=%1\n").arg(folder);
    file.write(text.toUtf8());
    // The user's own file: the server login the user may add to it is nobody else's.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!file.commit()) {
        return refused.arg(file.errorString());
    }
    return QString();
}

QString Configuration::databaseName() const {
    return rep + QDir::separator() + QStringLiteral("TALMORIX.gdb");
}
