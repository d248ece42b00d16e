#pragma once

#include <string>
#include <utility>
#include <vector>

namespace db {

// An OLE DB connection string ("Provider=SQLOLEDB.1;Password=...;User ID=...;Initial
// Catalog=QOR;Data Source=host;..."): keys matched without regard to case, every pair
// kept in its order so the rest of the string survives a round trip.
class ConnectionString {
  public:
    ConnectionString() = default;
    explicit ConnectionString(const std::string& text);

    // The value of a key, empty when it is missing.
    std::string value(const std::string& key) const;
    bool contains(const std::string& key) const;
    void setValue(const std::string& key, const std::string& value);

    std::string password() const { return value("Password"); }
    std::string userId() const { return value("User ID"); }
    std::string initialCatalog() const { return value("Initial Catalog"); }
    std::string dataSource() const { return value("Data Source"); }

    const std::vector<std::pair<std::string, std::string>>& pairs() const { return pairs_; }
    std::string toString() const;

  private:
    std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace db
