#pragma once

namespace kolvar::server {

class Database;

// Latest schema version this build knows.
int latestSchemaVersion();
// Version recorded in the database; 0 for an empty database.
int currentSchemaVersion(const Database &db);
// Applies the missing migration steps, each in its own transaction.
// Throws StorageError; true when a step was applied. Refuses a database
// newer than this build.
bool migrateSchema(const Database &db);

} // namespace kolvar::server
