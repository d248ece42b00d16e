#pragma once

// A fresh embedded database per test with two small tables, and helpers to drive the
// controls the way a person would.
//   grp  (id_gr, name, kind): five groups, the list of the lookup controls;
//   mark (id_mark key, id_gr, student, m1 int, m2 float, note varchar(10), p36 datetime):
//        four students, the rows of the grid.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <filesystem>
#include <ostream>
#include <string>

#include "db/Connection.h"
#include "db/Dataset.h"
#include "ui/DataSource.h"

// Readable failures for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (const QString& s : list) *os << " \"" << s.toStdString() << '"';
    *os << " }";
}

namespace uitest {

class UiTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // One value read on a second connection, as another workstation sees it.
    db::Value scalar(const std::string& sql);
    void behindTheBack(const std::string& sql);

    std::filesystem::path dir;
    std::string connectionString;
    db::Connection conn;
    db::Dataset groups{&conn};
    db::Dataset marks{&conn};
    ui::DataSource groupSource{&groups};
    ui::DataSource markSource{&marks};
    // What the controls reported and asked.
    QStringList errors;
    QStringList questions;
    bool answer = true;
};

db::Value text(const char* s);

}  // namespace uitest
