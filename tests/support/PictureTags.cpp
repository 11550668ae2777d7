#include "PictureTags.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace vantrel::test {

std::map<std::string, std::string> pictureTags(const std::string& path)
{
    QProcess exiftool;
    exiftool.start("exiftool", {"-j", "-G1", "-a", QString::fromStdString(path)});
    std::map<std::string, std::string> tags;
    if (!exiftool.waitForFinished(60000) || exiftool.exitCode() != 0)
        return tags;
    const QJsonArray files = QJsonDocument::fromJson(exiftool.readAllStandardOutput()).array();
    const QJsonObject file = files.isEmpty() ? QJsonObject() : files.first().toObject();
    for (auto it = file.begin(); it != file.end(); ++it)
        tags[it.key().toStdString()] = it.value().toVariant().toString().toStdString();
    return tags;
}

} // namespace vantrel::test
