// Floor for `zunova -`: loads k.dat and p.dat once into two 1000x10 tables, then answers each
// line of standard input as NUMBER<TAB>CARRIER. Plain C++; it knows only well-formed data and
// 11-digit 090/070 numbers, the input the benchmark gives both programs.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kUnidentified = "不明";

struct Table {
    std::array<std::array<std::int16_t, 10>, 1000> codes{};
    std::array<bool, 1000> present{};
    std::array<std::string_view, 10> names{}; // by code 0-9; empty: no name
};

// Integers separated by commas and line ends, eleven to a record; the first record of a key wins.
void load(const char* fileName, Table& table) {
    std::ifstream file(fileName, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    int fields[11];
    int count = 0;
    for (const char* p = text.data(); p < text.data() + text.size();) {
        if (*p < '0' || *p > '9') {
            ++p;
            continue;
        }
        int value = 0;
        while (p < text.data() + text.size() && *p >= '0' && *p <= '9')
            value = value * 10 + (*p++ - '0');
        fields[count++] = value;
        if (count == 11) {
            count = 0;
            if (fields[0] < 1000 && !table.present[fields[0]]) {
                table.present[fields[0]] = true;
                for (int column = 0; column < 10; ++column)
                    table.codes[fields[0]][column] = std::int16_t(fields[column + 1]);
            }
        }
    }
}

std::string_view carrier(const Table& table, int block, int column) {
    if (!table.present[block])
        return kUnidentified;
    const int code = table.codes[block][column];
    const std::string_view name = code >= 0 && code < 10 ? table.names[code] : std::string_view();
    return name.empty() ? kUnidentified : name;
}

} // namespace

int main() {
    Table cellular;
    cellular.names = {"", "ＮＴＴドコモ", "ａｕ", "J-Phone", "TuKa", "", "", "", "", "不明"};
    Table phs;
    phs.names = {"", "ドコモ", "ＤＤＩ", "アステル", "", "", "", "", "", "不明"};
    load("k.dat", cellular);
    load("p.dat", phs);

    static char out[1 << 16];
    std::size_t used = 0;
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        std::size_t length = std::strcspn(line, "\r\n");
        std::string_view name;
        if (length == 11 && line[0] == '0' && line[2] == '0' && (line[1] == '9' || line[1] == '7'))
            name = carrier(line[1] == '9' ? cellular : phs,
                           (line[3] - '0') * 100 + (line[4] - '0') * 10 + (line[5] - '0'),
                           line[6] - '0');
        if (used + length + name.size() + 2 > sizeof out) {
            std::fwrite(out, 1, used, stdout);
            used = 0;
        }
        std::memcpy(out + used, line, length);
        used += length;
        out[used++] = '\t';
        std::memcpy(out + used, name.data(), name.size());
        used += name.size();
        out[used++] = '\n';
    }
    std::fwrite(out, 1, used, stdout);
    return 0;
}
