#include "revisions/first_texts.h"

namespace revisions {

namespace {

// In the form the checks use them: a plain message gets its "！" where the check adds it.
constexpr messages::FixedText kTexts[] = {
    {"Qz.WA.EAI.00002", "解析XML时发生错误,请你检查XML参数格式"},
    {"Qz.WA.EAI.00006", "vkinterface结点不存在"},
    {"Qz.WA.EAI.00007", "暂不提供此功能"},
    {"Qz.WA.EAI.00008", "数据库操作错误"},
    {"Qz.WA.EAI.00009", "工资类别编号和名称不能同时为空"},
    {"Qz.WA.EAI.00010", "工资类别：[%1]不存在！"},
    {"Qz.WA.EAI.00014", "部门编号不能为空"},
    {"Qz.WA.EAI.00015", "工资类别[%1]中没有部门[%2]！"},
    {"Qz.WA.EAI.00017", "部门编码为[%1]的部门为非末级部门！"},
    {"Qz.WA.EAI.00019", "年度不能为空"},
    {"Qz.WA.EAI.00020", "导入数据年度不符"},
    {"Qz.WA.EAI.00021", "月数据已做月结"},
    {"Qz.WA.EAI.00022", "导入月份不能为空"},
    {"Qz.WA.EAI.00023", "导入月份不正确"},
    {"Qz.WA.EAI.00024", "人员姓名不能为空"},
    {"Qz.WA.EAI.00025", "人员姓名长度超长"},
    {"Qz.WA.EAI.00026", "人员编号不能为空"},
    {"Qz.WA.EAI.00030", "人员档案中没有[%1]的信息！"},
    {"Qz.WA.EAI.00032", "人员类别名称不能为空"},
    {"Qz.WA.EAI.00033", "人员类别设置不正确"},
    {"Qz.WA.EAI.00034", "工资项目名称未设置"},
    {"Qz.WA.EAI.00035", "工资项目属性未设置"},
    {"Qz.WA.EAI.00036", "工资项目设置不正确"},
    {"Qz.WA.EAI.00038", "成功"},
    {"Qz.WA.EAI.00040", "解析XML时发生错误,请你检查XML参数格式"},
    {"Qz.WA.EAI.00059", "是否中方人员判断标志不合法"},
    {"Qz.WA.EAI.00060", "是否扣税判断标志不合法"},
    {"Qz.WA.EAI.00065", "人员编号[%1]已存在，不能重复导入！"},
    {"Qz.WA.EAI.00070", "人员附加信息个数不能超过100"},
    {"Qz.WA.EAI.00073", "人员附加信息[%1]未设置！"},
    {"Qz.WA.EAI.00075", "人员附加信息[%1]超长！"},
    {"Qz.WA.EAI.00079", "身份证号不能超过18位"},
    {"Qz.WA.EAI.00082", "公积金账号不能超过12位"},
    {"Qz.WA.EAI.09001", "工资类别[%1]部门[%2]中没有人员[%3]本期间的工资数据"},
    {"Qz.WA.EAI.09003", "工资项目[%1]在一条记录中出现多次"},
    {"Qz.WA.EAI.09004", "人员档案表中没有[%1]列"},
    {"Qz.WA.EAI.09005", "人员附加信息[%1]在一条记录中出现多次"},
    {"Qz.WA.EAI.09006", "列[%1]的值超过其长度%2"},
    {"Qz.WA.EAI.09007", "人员编码长度不符合规则"},
    {"Qz.WA.EAI.09008", "工资类别：[%1]已与HR设置接口关系，不能引入人员！"},
    {"Qz.WA.EAI.09009", "工资项目[%1]的值[%2]不是数字！"},
};

}  // namespace

std::span<const messages::FixedText> FirstRevisionTexts() {
    return kTexts;
}

}  // namespace revisions
