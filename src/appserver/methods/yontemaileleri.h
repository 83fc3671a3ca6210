#pragma once

// The business methods by family; businessmethods.cpp calls them all.

namespace kolvar::server {

class Database;
class MethodRegistry;

void registerKatalogYontemleri(MethodRegistry &r, Database &db);
void registerSepetYontemleri(MethodRegistry &r, Database &db);
void registerSiparisYontemleri(MethodRegistry &r, Database &db);
void registerEkstreYontemleri(MethodRegistry &r, Database &db);
void registerDuyuruYontemleri(MethodRegistry &r, Database &db);
void registerTemsilciYontemleri(MethodRegistry &r, Database &db);
void registerPostaYontemleri(MethodRegistry &r, Database &db);

} // namespace kolvar::server
