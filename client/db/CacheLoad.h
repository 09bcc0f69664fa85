#pragma once
// The common loader of the record caches: "select * from <table>" on a
// borrowed session into a generic row, each row handed to readRow in result
// order. Any std::exception ends the load: the rows handed over so far stay
// and the result is false (the exception text goes to onError).
#include <functional>
#include <string>

#include <soci/soci.h>

bool loadTable(const std::string& table, const std::function<void(const soci::row&)>& readRow,
               const std::function<void(const std::string& what)>& onError);
