#include "messages/item_names.h"

namespace messages {

namespace {

constexpr ItemName kNames[] = {
    {"应发合计", "Qz.WA.TRVEK.frmdatainput.01217"},
    {"实发合计", "Qz.WA.TRVEK.frmdatainput.01215"},
    {"扣款合计", "Qz.WA.TRVEK.frmdatainput.01216"},
    {"上月扣零", "Qz.WA.TRVEK.frmdatareplace.07689"},
    {"本月扣零", "Qz.WA.TRVEK.frmrename_c.00288"},
    {"代扣税", "Qz.WA.TRVEK.frmrename_c.00292"},
    {"计件工资", "Qz.WA.TRVEK.frmdatainput.01244"},
    {"年终奖", "Qz.WA.TRVEK.NEWADD.064"},
    {"代付税", "Qz.WA.TRVEK.NEWADD.063"},
    {"年终奖代付税", "Qz.WA.TRVEK.NEWADD.065"},
    {"年终奖代扣税", "Qz.WA.TRVEK.NEWADD.066"},
    {"工资代扣税", "Qz.WA.TRVEK.NEWADD.067"},
    {"工资代付税", "Qz.WA.TRVEK.NEWADD.068"},
    {"扣税合计", "Qz.WA.TRVEK.NEWADD.069"},
};

}  // namespace

std::span<const ItemName> SalaryItemNames() {
    return kNames;
}
std::span<const ItemName> SalaryPersonNames() {
    return std::span(kNames).first(7);
}

}  // namespace messages
