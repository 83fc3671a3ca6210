#pragma once

namespace kolvar::server {

class Database;
class MethodRegistry;

// Every business method of the catalogue (all but sign-in and the echo
// checks), working on `db`. Register before installSessionGuard().
void registerBusinessMethods(MethodRegistry &registry, Database &db);

} // namespace kolvar::server
