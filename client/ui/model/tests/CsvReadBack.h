#pragma once
// A CSV file read back by an independent reader, Python's csv module.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// The records of a CSV file (UTF-8 with or without a byte-order mark) as
// Python's csv module reads them. Python writes one line per record, each
// field hex-encoded (fields may hold line breaks); outPath is its scratch.
inline std::vector<std::vector<std::string>> readCsvWithPython(const std::string& csvPath, const std::string& outPath)
{
    const std::string script =
        "import csv,sys\n"
        "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f, open(sys.argv[2], 'w') as out:\n"
        "    for record in csv.reader(f):\n"
        "        out.write(' '.join(field.encode('utf-8').hex() or '-' for field in record) + '\\n')\n";
    const std::string scriptPath = outPath + ".py";
    std::ofstream(scriptPath) << script;
    const std::string command = "python3 '" + scriptPath + "' '" + csvPath + "' '" + outPath + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<std::vector<std::string>> records;
    std::ifstream in(outPath);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream words(line);
        std::string hex;
        while (words >> hex) {
            std::string field;
            for (std::size_t i = 0; hex != "-" && i + 1 < hex.size(); i += 2)
                field += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            fields.push_back(field);
        }
        records.push_back(fields);
    }
    return records;
}

