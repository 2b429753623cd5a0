#pragma once

#include <QByteArray>
#include <QString>

#include <map>

/// A folder of files kept in memory and reachable through Qt's resource paths (":/..."), so
/// that style sheets can name a theme's pictures without writing them to disk. The files are
/// laid out in Qt's binary resource format (version 1) and registered under a folder of their own.
class TSkinResourceFolder {
public:
    /// Builds the folder from `files` (flat names to bytes) and registers it under `root`,
    /// e.g. "/vellicor-skin/3". Throws ESkinError when Qt refuses it.
    TSkinResourceFolder(const QString& root, const std::map<QString, QByteArray>& files);
    ~TSkinResourceFolder();
    TSkinResourceFolder(const TSkinResourceFolder&) = delete;
    TSkinResourceFolder& operator=(const TSkinResourceFolder&) = delete;

    /// ":/<root>/<name>", as a style sheet's url() takes it.
    QString Path(const QString& name) const;

    /// The binary resource data for `files` (exposed for tests).
    static QByteArray Build(const std::map<QString, QByteArray>& files);

private:
    QString FRoot;
    QByteArray FData;
};
