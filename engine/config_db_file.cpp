// Interim: the file operations of a configuration database are not written
// yet; every one of them reports failure.
#include "engine/config_db.h"

bool CZARVConfigDB::SaveToFile(const char*, const char*) { return false; }
bool CZARVConfigDB::SaveToTemplate(const char*, const char*) { return false; }
bool CZARVConfigDB::LoadFromFile(const char*, const char*, int) { return false; }
bool CZARVConfigDB::CheckFile(const char*) { return false; }
bool CZARVConfigDB::Save(const char*, const char*) const { return false; }
