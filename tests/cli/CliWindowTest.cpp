// vl48-cli beside the window on the same simulated transmitter: `write` sends the bulk tab's
// frames, and `read -o` saves the file the basic tab saves.
#include <QFileDialog>
#include <functional>

#include "CliRun.h"
#include "WindowFixture.h"
#include "core/link/Frame.h"

using namespace vl48test;

namespace {

// A frame without its tag (random per connection) and its CRC (which covers the tag), each
// checked instead: the CRC by the simulator, the tag the same in every frame of a run.
std::vector<std::string> untagged(const std::vector<vl48sim::LoggedFrame>& frames) {
    std::vector<std::string> out;
    for (const auto& f : frames) {
        EXPECT_TRUE(f.crcOk);
        EXPECT_EQ(f.bytes[1], frames.front().bytes[1]);
        out.push_back(hex({f.bytes[0], f.bytes[2], f.bytes[3], f.bytes[4]}));
    }
    return out;
}

class CliWindow : public WindowTest {
protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QString port() const { return QString::fromStdString(portPath()); }
};

TEST_F(CliWindow, WriteSendsTheBulkTabsFramesAndStoresTheFile) {
    writeFileBytes(path("in.vl4"), DistinctFile);
    const CliRun run = runCli({"write", "-p", port(), path("in.vl4"), "--verify"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const auto& [address, word] : DistinctMemory)
        EXPECT_EQ(sim->cell(address), word) << "cell " << address;
    const std::vector<std::string> cli = untagged(sim->requests());

    sim->resetMemory();
    connectToTransmitter();
    fileDialogAnswers << path("in.vl4");
    window->BtnConfLoadClick();
    sim->clearLog();
    window->BtnUploadConfClick();
    EXPECT_TRUE(messageTexts().isEmpty()) << messageTexts().join('|').toStdString();
    const std::vector<std::string> bulk = untagged(sim->requests());
    ASSERT_EQ(bulk.size(), DistinctMemory.size());

    // Identify, firmware and identifier; the bulk tab's writes; the read-back of the thirteen
    // values' cells, the note's length and the note.
    ASSERT_EQ(cli.size(), 3 + bulk.size() + 15);
    const auto command = [&cli](size_t i) { return cli[i].substr(0, 2); };
    EXPECT_EQ(command(0) + command(1) + command(2), "FFFEF7");
    EXPECT_EQ(std::vector<std::string>(cli.begin() + 3, cli.begin() + 3 + long(bulk.size())), bulk);
    for (size_t i = 3 + bulk.size(); i + 1 < cli.size(); ++i) EXPECT_EQ(command(i), "19");
    EXPECT_EQ(command(cli.size() - 1), "1A");
}

// Odd value lines and codes no list offers, through the bulk tab and through `write`: the same
// writes, or the same refusal with nothing written.
TEST_F(CliWindow, WriteReadsEveryLineAsTheBulkTabDoes) {
    const struct {
        int line;
        QByteArray text;
        const char* refusedFor;  // the list the bulk tab names, or nullptr
    } cases[] = {
        {13, "1,5", nullptr},
        {13, "1.50", nullptr},
        {13, "-,5", nullptr},
        {13, "", nullptr},
        {4, "50", nullptr},
        {4, "99999", nullptr},
        {4, "+5", nullptr},
        {5, " -7x", nullptr},
        {8, "12,3", nullptr},
        {8, "-", nullptr},
        {1, "25", "Vstupní signál"},
        {6, "3", "Typ filtrace signálu"},
        {1, "70000", "Vstupní signál"},
    };
    for (const auto& c : cases) {
        QList<QByteArray> lines = DistinctFile.split('\n');
        lines[c.line - 1] = c.text + '\r';
        writeFileBytes(path("odd.vl4"), lines.join('\n'));
        SCOPED_TRACE(c.line);
        SCOPED_TRACE(c.text.toStdString());

        connectToTransmitter();
        fileDialogAnswers << path("odd.vl4");
        window->BtnConfLoadClick();
        window->BtnUploadConfClick();
        const std::vector<vl48::CellWrite> bulk = cellWrites();
        const QStringList shown = messageTexts();
        window->ComPort->setActive(false);
        messages.clear();

        sim->clearLog();
        const CliRun run = runCli({"write", "-p", port(), path("odd.vl4")});
        EXPECT_EQ(cellWrites(), bulk);
        if (c.refusedFor) {
            EXPECT_TRUE(bulk.empty());
            ASSERT_EQ(shown.size(), 1);
            EXPECT_TRUE(shown[0].contains(QString::fromUtf8(c.refusedFor)))
                << shown[0].toStdString();
            EXPECT_EQ(run.exitCode, 6);
            EXPECT_TRUE(run.err.contains("Configuration not transferred: no value is selected"))
                << run.err.toStdString();
        } else {
            EXPECT_EQ(bulk.size(), DistinctMemory.size());
            EXPECT_TRUE(shown.isEmpty()) << shown.join('|').toStdString();
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        }
    }
}

// Transmitter memories the basic tab shows in their own ways.
struct Memory {
    const char* name;
    std::function<void(vl48sim::Simulator&)> set;
};
void PrintTo(const Memory& memory, std::ostream* os) { *os << memory.name; }
class CliRead : public CliWindow, public ::testing::WithParamInterface<Memory> {};

TEST_P(CliRead, SavesTheFileTheBasicTabSaves) {
    GetParam().set(*sim);
    const CliRun run = runCli({"read", "-p", port(), "-o", path("cli.vl4")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    connectToTransmitter();
    fileDialogAnswers << path("window.vl4");
    window->BtnConfSaveClick();
    EXPECT_EQ(fileBytes(path("cli.vl4")).toStdString(),
              fileBytes(path("window.vl4")).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Memories, CliRead,
                         ::testing::Values(Memory{"Factory", [](vl48sim::Simulator&) {}},
                                           Memory{"Distinct",
                                                  [](vl48sim::Simulator& s) {
                                                      for (const auto& [address, word] :
                                                           DistinctMemory)
                                                          s.setCell(address, word);
                                                  }},
                                           Memory{"Extremes",
                                                  [](vl48sim::Simulator& s) {
                                                      for (int address : {30, 32, 36, 38})
                                                          s.setCell(address, 0x8000);
                                                      s.setCell(4, 0xFFFF);
                                                      s.setNote("a\r\nb\x81");
                                                  }},
                                           Memory{"SmallNumbers",
                                                  [](vl48sim::Simulator& s) {
                                                      s.setCell(30, 65535);
                                                      s.setCell(32, 7);
                                                      s.setCell(36, 0);
                                                      s.setCell(38, 5);
                                                  }},
                                           Memory{"NoDateNoNote",
                                                  [](vl48sim::Simulator& s) {
                                                      s.setCell(50, 0xFFFF);
                                                      s.setCell(52, 1999);
                                                      s.setCell(88, 0xFFFF);
                                                  }}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
