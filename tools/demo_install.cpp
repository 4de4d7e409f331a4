#include "tools/demo_install.h"

#include "drvlib/drv_lib.h"
#include "host/zarvkernel/gmpid.h"
#include "meta/meta_prop_tbl.h"
#include "meta/meta_table.h"
#include "meta/typed_obj_tbl.h"
#include "pseudo/pseudos.h"

namespace zarvdemo {

namespace {

_zarvVAR Text(const char* t) { return _zarvVAR(t); }
template <class T>
_zarvVAR Val(T v) {
    _zarvVAR out;
    out = v;
    return out;
}

struct PropRow {
    unsigned short id;
    const char* name;
    _zarvVAR init;
    int input;  // 0 edit, 1 choice, 2 check box, 3 address
    const char* par;
    const char* desc;
    int valid;  // 0 configuration, 1 IO address, 2 reference, 3 hardware
};

std::vector<PropRow> MetaRows() {
    return {
        {1, "Name", Text(""), 0, "", "reference name of the point", 0},
        {2, "ShortName", Text(""), 0, "", "name on displays", 0},
        {3, "Description", Text(""), 0, "", "free text", 0},
        {4, "Unit", Text(""), 1, "kV;A;MW;Mvar;Hz;degC", "engineering unit", 0},
        {5, "Scale", Val(1.0), 0, "", "factor from raw to engineering value", 0},
        {6, "Offset", Val(0.0), 0, "", "added after scaling", 0},
        {7, "LowLimit", Val(0.0f), 0, "", "lower alarm limit", 0},
        {8, "HighLimit", Val(100.0f), 0, "", "upper alarm limit", 0},
        {9, "Deadband", Val(0.5f), 0, "", "smallest change reported", 0},
        {10, "Enabled", Val(true), 2, "", "point is acquired", 0},
        {11, "SerialPort", Val(static_cast<short>(0)), 2, "", "driver uses a serial port", 0},
        {12, "NetKind", Val(static_cast<short>(0)), 1, "0 none;1 TCP;3 UDP", "network port", 0},
        {13, "Device", Text("/dev/ttyS0"), 3, "", "serial device", 0},
        {14, "BaudRate", Val(9600u), 1, "1200;2400;4800;9600;19200;38400", "serial speed", 0},
        {15, "Parity", Val(static_cast<unsigned short>(0)), 1, "0 none;1 odd;2 even", "", 0},
        {16, "DataBits", Val(static_cast<unsigned short>(8)), 0, "5..8", "", 0},
        {17, "StopBits", Val(static_cast<unsigned short>(1)), 0, "1..2", "", 0},
        {18, "RemoteHost", Text(""), 3, "", "host name or address", 0},
        {19, "RemotePort", Val(static_cast<unsigned short>(0)), 0, "1..65535", "", 0},
        {20, "LocalPort", Val(static_cast<unsigned short>(0)), 0, "0..65535", "", 0},
        {21, "ConnectTimeout", Val(3000), 0, "ms", "", 0},
        {22, "IoTimeout", Val(1000), 0, "ms", "", 0},
        {100, "PointType", Val(static_cast<unsigned short>(0)), 1, "0 AI;1 DI;2 counter;3 command",
         "", 0},
        {101, "AlarmClass", Val(static_cast<unsigned short>(0)), 1, "AlarmClasses", "", 0},
        {102, "AlarmPriority", Val(static_cast<short>(0)), 0, "-10..10", "", 0},
        {103, "Invert", Val(false), 2, "", "invert a binary input", 0},
        {104, "InitValue", Val(0.0), 0, "", "value before the first reading", 0},
        {105, "SampleRate", Val(1000u), 0, "ms", "", 0},
        {106, "HardwareId", Val(0), 0, "", "hardware description of the station", 3},
        {107, "Station", Text(""), 0, "", "", 0},
        {108, "Bay", Text(""), 0, "", "", 0},
        {109, "Voltage", Val(static_cast<unsigned short>(0)), 1, "10;20;110;220;380", "kV level",
         0},
        {110, "Archive", Val(true), 2, "", "keep history", 0},
        {111, "ArchiveCycle", Val(60u), 0, "s", "", 0},
        {112, "HysteresisHigh", Val(0.0f), 0, "", "", 0},
        {113, "HysteresisLow", Val(0.0f), 0, "", "", 0},
        {114, "Formula", Text(""), 0, "", "calculated points", 0},
        {115, "Counter", Val(0u), 0, "", "counter start", 0},
        {116, "CounterScale", Val(1.0), 0, "", "energy per pulse", 0},
        {117, "CommandPulse", Val(500u), 0, "ms", "", 0},
        {118, "SelectBeforeOperate", Val(true), 2, "", "", 0},
        {119, "Interlock", Text(""), 0, "", "condition that blocks commands", 0},
        {120, "StateText0", Text("off"), 0, "", "", 0},
        {121, "StateText1", Text("on"), 0, "", "", 0},
        {122, "DisplayGroup", Val(static_cast<unsigned short>(0)), 0, "", "", 0},
        {123, "Owner", Text(""), 0, "", "", 0},
        {124, "Comment", Text(""), 0, "", "", 0},
        {401, "IOAddress", Text(""), 3, "", "device: host:port or serial device", 1},
        {402, "IOPoint", Text(""), 3, "", "register or point on the device", 1},
        {403, "IOFunction", Val(static_cast<unsigned short>(3)), 1, "1;2;3;4", "", 1},
        {499, "RefName", Text(""), 0, "", "name of the point this one reads", 2},
    };
}

CZARVPtr<CZARVMetaProp> MakeProp(unsigned short id, const char* name, const _zarvVAR& init,
                                 int input = 0, const char* par = "", const char* desc = "",
                                 int valid = 0) {
    return CZARVPtr<CZARVMetaProp>::Adopt(
        new CZARVMetaProp(id, name, init, static_cast<CZARVMetaProp::METAINPUTTYPE>(input), par,
                          desc, static_cast<CZARVMetaProp::METAVALIDTYPE>(valid)));
}

// A point and the properties it carries (valid types from the table).
struct PointRow {
    uint32_t gmpid;
    std::vector<std::pair<unsigned short, _zarvVAR>> props;
};

uint32_t G(unsigned char rid, unsigned char group, unsigned block, unsigned index) {
    return zarvgmpid::Make(rid, group, block, index);
}

constexpr const char* kNorth = "10.0.0.21:502";
constexpr const char* kSouth = "10.0.0.22:502";
constexpr const char* kSerial = "/dev/ttyS1";

std::vector<PointRow> PointRows() {
    auto ai = [](unsigned group, unsigned index, const char* name, const char* desc,
                 const char* unit, double scale, const char* dev, const char* reg) {
        return PointRow{G(kIoRid, group, 0, index),
                        {{1, Text(name)},
                         {3, Text(desc)},
                         {4, Text(unit)},
                         {5, Val(scale)},
                         {8, Val(static_cast<float>(scale * 40000))},
                         {100, Val(static_cast<unsigned short>(0))},
                         {401, Text(dev)},
                         {402, Text(reg)}}};
    };
    auto di = [](unsigned index, const char* name, const char* desc, const char* dev,
                 const char* reg) {
        return PointRow{G(kIoRid, 2, 0, index),
                        {{1, Text(name)},
                         {3, Text(desc)},
                         {100, Val(static_cast<unsigned short>(1))},
                         {120, Text("open")},
                         {121, Text("closed")},
                         {401, Text(dev)},
                         {402, Text(reg)}}};
    };
    auto ref = [](unsigned index, const char* target, const char* desc) {
        return PointRow{G(kRefRid, 0, 1, index), {{3, Text(desc)}, {499, Text(target)}}};
    };
    auto calc = [](unsigned index, const char* name, const char* formula, const char* unit) {
        return PointRow{G(kCalcRid, 1, 0, index),
                        {{1, Text(name)}, {4, Text(unit)}, {114, Text(formula)}}};
    };
    return {
        ai(1, 0, "N_U_L1", "North feeder voltage L1", "kV", 0.001, kNorth, "30001"),
        ai(1, 1, "N_U_L2", "North feeder voltage L2", "kV", 0.001, kNorth, "30002"),
        ai(1, 2, "N_I_L1", "North feeder current L1", "A", 0.1, kNorth, "30011"),
        ai(1, 3, "N_P", "North feeder active power", "MW", 0.01, kNorth, "30021"),
        ai(1, 4, "S_U_L1", "South feeder voltage L1", "kV", 0.001, kSouth, "30001"),
        ai(1, 5, "S_P", "South feeder active power", "MW", 0.01, kSouth, "30021"),
        ai(3, 0, "T1_TEMP", "Transformer 1 oil temperature", "degC", 0.1, kSerial, "7:100"),
        ai(3, 1, "T1_TAP", "Transformer 1 tap position", "", 1, kSerial, "7:101"),
        di(0, "N_CB", "North feeder breaker", kNorth, "10001"),
        di(1, "N_ES", "North feeder earthing switch", kNorth, "10002"),
        di(2, "S_CB", "South feeder breaker", kSouth, "10001"),
        di(3, "T1_ALARM", "Transformer 1 Buchholz alarm", kSerial, "7:1"),
        ref(0, "N_U_L1", "voltage on the overview display"),
        ref(1, "N_P", "North power on the overview display"),
        ref(2, "S_P", "South power on the overview display"),
        ref(3, "TOTAL_P", "station power on the overview display"),
        calc(0, "TOTAL_P", "N_P + S_P", "MW"),
        calc(1, "N_PF", "N_P / N_S", ""),
        PointRow{
            G(kCalcRid, 1, 0, 2),
            {{1, Text("OPS_HOURS")}, {105, Val(3600000u)}, {115, Val(1200u)}, {116, Val(1.0)}}},
    };
}

}  // namespace

CZARVPtr<CZARVMetaPropTbl> BuildMetaProps() {
    auto table = CZARVPtr<CZARVMetaPropTbl>::Adopt(new CZARVMetaPropTbl);
    for (const PropRow& r : MetaRows())
        table->InsertMetaProp(
            MakeProp(r.id, r.name, r.init, r.input, r.par, r.desc, r.valid).get());
    return table;
}

CZARVPtr<CZARVDrvLib> BuildDriverLib() {
    auto lib = CZARVPtr<CZARVDrvLib>::Adopt(new CZARVDrvLib);
    using D = CZARVDrvNode;
    auto tcp =
        CZARVPtr<D>::Adopt(new D("Fieldbus", "Fieldbus over TCP", "fbtcp", static_cast<DRVTYPE>(1),
                                 "2.3.0", "1", "2", "polls field devices over TCP", 0x001E));
    tcp->InsertMetaProp(MakeProp(900, "RegisterKind", Val(static_cast<unsigned short>(3)), 1,
                                 "1 coil;2 input;3 holding;4 input register")
                            .get(),
                        D::CFG_AI);
    tcp->InsertMetaProp(MakeProp(901, "WordOrder", Val(static_cast<unsigned short>(0))).get(),
                        D::CFG_AI);
    tcp->InsertMetaProp(MakeProp(900, "BitNumber", Val(static_cast<unsigned short>(0))).get(),
                        D::CFG_DI);
    tcp->InsertMetaProp(MakeProp(900, "PulseMs", Val(500u)).get(), D::CFG_DO);
    tcp->InsertMetaProp(MakeProp(930, "UnitId", Val(static_cast<unsigned short>(1))).get(),
                        D::CFG_PROTOCOL);
    tcp->InsertMetaProp(MakeProp(931, "PollCycle", Val(1000u), 0, "ms").get(), D::CFG_PROTOCOL);
    tcp->InsertMetaProp(MakeProp(960, "DeviceModel", Text("")).get(), D::CFG_IED);
    lib->InsertDrvNode(tcp.get());

    auto ser = CZARVPtr<D>::Adopt(new D("Fieldbus", "Fieldbus serial master", "fbser",
                                        static_cast<DRVTYPE>(2), "1.4.1", "1", nullptr,
                                        "polls field devices on a serial line", 0x000A));
    ser->InsertMetaProp(MakeProp(900, "RegisterKind", Val(static_cast<unsigned short>(4))).get(),
                        D::CFG_AI);
    ser->InsertMetaProp(MakeProp(930, "StationAddress", Val(static_cast<unsigned short>(7))).get(),
                        D::CFG_PROTOCOL);
    ser->InsertMetaProp(MakeProp(931, "ResponseTimeout", Val(300u), 0, "ms").get(),
                        D::CFG_PROTOCOL);
    lib->InsertDrvNode(ser.get());

    auto hist = CZARVPtr<CZARVSrvNode>::Adopt(
        new CZARVSrvNode("Historian", "hist", "3.0.2", "4", "keeps the history of values", 0x000F));
    hist->InsertPar(MakeProp(930, "ArchivePath", Text("/var/lib/history")).get());
    hist->InsertPar(MakeProp(931, "RetentionDays", Val(static_cast<unsigned short>(400))).get());
    lib->InsertSrvNode(hist.get());

    using T = CZARVTskNode;
    auto calc = CZARVPtr<T>::Adopt(new T("Calculator", "calc", static_cast<TSKTYPE>(3), "1.1.0",
                                         "5", nullptr, "computes derived values", 0x2008));
    calc->InsertMetaProp(MakeProp(900, "Precision", Val(static_cast<unsigned short>(3))).get(),
                         T::CFG_CAL);
    calc->InsertMetaProp(MakeProp(930, "CycleMs", Val(1000u)).get(), T::CFG_TASKPAR);
    calc->InsertMetaProp(MakeProp(960, "Expression", Text("")).get(), T::CFG_ITEM);
    lib->InsertTskNode(calc.get());
    return lib;
}

CZARVPtr<CZARVTypedObjTbl> BuildTypedObjs() {
    auto table = CZARVPtr<CZARVTypedObjTbl>::Adopt(new CZARVTypedObjTbl);
    struct Row {
        unsigned short id;
        const char* metas;
        const char* desc;
    };
    const Row rows[] = {
        {1, "1|3|4|5|6|7|8|9|100|401|402", "analogue input"},
        {2, "1|3|100|103|120|121|401|402", "binary input"},
        {3, "1|3|115|116|401|402", "counter"},
        {4, "1|3|117|118|119|401|402", "command"},
        {5, "1|4|114", "calculated value"},
        {32768, "3|499", "reference point"},
    };
    for (const Row& r : rows)
        table->InsertTypedObj(
            CZARVPtr<CZARVTypedObj>::Adopt(new CZARVTypedObj(r.id, r.metas, "|", r.desc)).get());
    return table;
}

CZARVPtr<CZARVMetaTable> BuildMetaTables() {
    auto tables = CZARVPtr<CZARVMetaTable>::Adopt(new CZARVMetaTable);
    auto field = [](const char* name, const _zarvVAR& init, int input, const char* desc) {
        return CZARVPtr<CZARVTableField>::Adopt(new CZARVTableField(
            name, init, static_cast<CZARVTableField::FLDINPUTTYPE>(input), "", desc));
    };
    CZARVTableNode* alarms = tables->CreateNewNode("AlarmClasses");
    alarms->AddField(field("Name", Text(""), 0, "class name").get());
    alarms->AddField(
        field("Priority", Val(static_cast<short>(0)), 0, "higher is more urgent").get());
    alarms->AddField(field("Colour", Text("red"), 1, "display colour").get());
    alarms->AddField(field("Acknowledge", Val(true), 2, "needs an acknowledgement").get());
    CZARVTableNode* units = tables->CreateNewNode("Units");
    units->AddField(field("Symbol", Text(""), 0, "").get());
    units->AddField(field("Factor", Val(1.0), 0, "to the base unit").get());
    units->AddField(field("Quantity", Text(""), 0, "").get());
    return tables;
}

CZARVPtr<CZARVPseudos> BuildPseudos() {
    auto pseudos = CZARVPtr<CZARVPseudos>::Adopt(new CZARVPseudos);
    struct Row {
        unsigned short id;
        std::vector<std::pair<unsigned short, _zarvVAR>> values;
    };
    const Row rows[] = {
        {1, {{4, Text("kV")}, {5, Val(0.001)}, {10, Val(true)}}},
        {2, {{4, Text("A")}, {5, Val(0.1)}}},
        {4, {{105, Val(60000u)}, {110, Val(true)}}},
        {5, {{105, Val(1000u)}}},
    };
    for (const Row& r : rows) {
        auto p = CZARVPtr<CZARVPseudo>::Adopt(new CZARVPseudo(r.id));
        for (const auto& [meta, value] : r.values) p->InsertPSDProp(meta, value);
        pseudos->InsertPseudo(p.get());
    }
    return pseudos;
}

int FillDatabases(CZARVQENDbEngine& engine) {
    engine.CreateConfigDB(kCalcRid, 0);
    engine.CreateConfigDB(kIoRid, kIoType);
    engine.CreateConfigDB(kRefRid, 0);
    CZARVPtr<CZARVMetaPropTbl> meta = BuildMetaProps();
    int inserted = 0;
    for (const PointRow& row : PointRows()) {
        auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(row.gmpid));
        for (const auto& [id, value] : row.props) {
            const CZARVMetaProp* def = meta->GetMetaProp(id);
            info->InsertMPProp(id, value, def ? def->GetValidType() : 0);
        }
        if (engine.InsertMPInfo(info.get())) ++inserted;
    }
    return inserted;
}

std::vector<Reading> FieldReadings() {
    return {
        {G(kIoRid, 1, 0, 0), Val(20.91)},   {G(kIoRid, 1, 0, 1), Val(20.87)},
        {G(kIoRid, 1, 0, 2), Val(312.5)},   {G(kIoRid, 1, 0, 3), Val(11.32)},
        {G(kIoRid, 1, 0, 4), Val(20.95)},   {G(kIoRid, 1, 0, 5), Val(7.48)},
        {G(kIoRid, 3, 0, 0), Val(61.2)},    {G(kIoRid, 3, 0, 1), Val(9.0)},
        {G(kIoRid, 2, 0, 0), Val(true)},    {G(kIoRid, 2, 0, 1), Val(false)},
        {G(kIoRid, 2, 0, 2), Val(true)},    {G(kIoRid, 2, 0, 3), Val(false)},
        {G(kCalcRid, 1, 0, 0), Val(18.80)},
    };
}

std::vector<uint32_t> ReferencePoints() {
    return {G(kRefRid, 0, 1, 0), G(kRefRid, 0, 1, 1), G(kRefRid, 0, 1, 2), G(kRefRid, 0, 1, 3)};
}

std::vector<const char*> IoDevices() { return {kNorth, kSouth, kSerial}; }

}  // namespace zarvdemo
