#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QSet>
#include <QString>

namespace testsupport {

// Saves a picture for a person to look at in the folder (made when missing), after
// checking its size, and checks that it is more than a blank rectangle: labels, lists and
// frames give at least minColours colours among every step-th pixel of every step-th row.
inline void saveScreenshot(const QImage& image, const QString& folder, const QString& name,
                           QSize size, int minColours, int step = 2) {
    EXPECT_EQ(image.size(), size) << name.toStdString();
    QDir().mkpath(folder);
    ASSERT_TRUE(image.save(QDir(folder).filePath(name), "PNG")) << name.toStdString();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += step)
        for (int x = 0; x < image.width(); x += step) colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), minColours) << name.toStdString();
}

}  // namespace testsupport
