#pragma once

// Class mode: on a school's class computer Ollo also sends every drill to the
// school's PostgreSQL server. It is on when a file <base>-Klasse.conf
// (ollo-Klasse.conf) is found: $XDG_CONFIG_HOME/ first, then each folder of
// $XDG_CONFIG_DIRS in turn (by default /etc/xdg). Its section [Klasse] names
// a libpq service (Dienst) and the class (Klasse). Where the server is, the
// login, its password and TLS live only in libpq's own files
// (pg_service.conf, .pgpass); Ollo never reads or writes them itself.

#include <QString>
#include <QStringList>

struct ClassConfig {
    // The file found; empty: class mode is off.
    QString filePath;
    QString service;
    QString className;

    bool isOn() const { return !filePath.isEmpty(); }
    // What keeps the file from being used, in German for school IT; empty
    // when it names a service and a class.
    QString problem() const;

    // The folders searched, in order: $XDG_CONFIG_HOME (by default
    // ~/.config), then those of $XDG_CONFIG_DIRS (by default /etc/xdg).
    // Relative entries are left out, as the XDG rules say.
    static QStringList Folders();
    // The first <programBaseName>-Klasse.conf in Folders(), read; off when
    // there is none.
    static ClassConfig Find(const QString& programBaseName);
    static ClassConfig Read(const QString& filePath);
};
