#include "checks/site/registrydirectory.h"

namespace veldrin {

namespace {

// What a label shows where a region has no such site.
constexpr const char16_t* noLink = u"没有相关网址";
constexpr const char16_t* noSite = u"无网站";

// In search order.
constexpr std::array<RegistryEntry, 34> provinces = { {
    { u"北京", u"http://gs.veldrin.example/sheng/beijing/", u"http://xy.veldrin.example/sheng/beijing/" },
    { u"天津", u"http://gs.veldrin.example/sheng/tianjin/", u"http://xy.veldrin.example/sheng/tianjin/" },
    { u"河北", u"http://gs.veldrin.example/sheng/hebei/", noLink },
    { u"山西", u"http://gs.veldrin.example/sheng/shanxi/", noLink },
    { u"内蒙古", u"http://gs.veldrin.example/sheng/neimenggu/", noLink },
    { u"辽宁", u"http://gs.veldrin.example/sheng/liaoning/", u"http://xy.veldrin.example/sheng/liaoning/" },
    { u"吉林", u"http://gs.veldrin.example/sheng/jilin/", u"http://xy.veldrin.example/sheng/jilin/" },
    { u"黑龙江", u"http://gs.veldrin.example/sheng/heilongjiang/", noLink },
    { u"上海", u"http://gs.veldrin.example/sheng/shanghai/", u"http://xy.veldrin.example/sheng/shanghai/" },
    { u"江苏", u"http://gs.veldrin.example/sheng/jiangsu/", noLink },
    { u"浙江", u"http://gs.veldrin.example/sheng/zhejiang/", u"http://xy.veldrin.example/sheng/zhejiang/" },
    { u"安徽", u"http://gs.veldrin.example/sheng/anhui/", noLink },
    { u"福建", u"http://gs.veldrin.example/sheng/fujian/", u"http://xy.veldrin.example/sheng/fujian/" },
    { u"江西", u"http://gs.veldrin.example/sheng/jiangxi/", noLink },
    { u"山东", u"http://gs.veldrin.example/sheng/shandong/", u"http://xy.veldrin.example/sheng/shandong/" },
    { u"河南", u"http://gs.veldrin.example/sheng/henan/", noLink },
    { u"湖北", u"http://gs.veldrin.example/sheng/hubei/", u"http://xy.veldrin.example/sheng/hubei/" },
    { u"湖南", u"http://gs.veldrin.example/sheng/hunan/", u"http://xy.veldrin.example/sheng/hunan/" },
    { u"广东", u"http://gs.veldrin.example/sheng/guangdong/", u"http://xy.veldrin.example/sheng/guangdong/" },
    { u"广西", u"http://gs.veldrin.example/sheng/guangxi/", noLink },
    { u"海南", u"http://gs.veldrin.example/sheng/hainan/", noLink },
    { u"重庆", u"http://gs.veldrin.example/sheng/chongqing/", u"http://xy.veldrin.example/sheng/chongqing/" },
    { u"四川", u"http://gs.veldrin.example/sheng/sichuan/", u"http://xy.veldrin.example/sheng/sichuan/" },
    { u"贵州", u"http://gs.veldrin.example/sheng/guizhou/", u"http://xy.veldrin.example/sheng/guizhou/" },
    { u"云南", u"http://gs.veldrin.example/sheng/yunnan/", noLink },
    { u"西藏", noSite, noLink },
    { u"陕西", u"http://gs.veldrin.example/sheng/shaanxi/", u"http://xy.veldrin.example/sheng/shaanxi/" },
    { u"甘肃", u"http://gs.veldrin.example/sheng/gansu/", u"http://xy.veldrin.example/sheng/gansu/" },
    { u"青海", u"http://gs.veldrin.example/sheng/qinghai/", noLink },
    { u"宁夏", u"http://gs.veldrin.example/sheng/ningxia/", u"http://xy.veldrin.example/sheng/ningxia/" },
    { u"新疆", u"http://gs.veldrin.example/sheng/xinjiang/", noLink },
    { u"台湾", noLink, noLink },
    { u"香港", noSite, noLink },
    { u"澳门", noLink, noLink },
} };

constexpr std::array<RegistryEntry, 53> cities = { {
    { u"保定", noLink, noLink },
    { u"常州", noLink, noLink },
    { u"成都", u"http://gs.veldrin.example/shi/chengdu/", u"http://xy.veldrin.example/shi/chengdu/" },
    { u"滁州", u"http://gs.veldrin.example/shi/chuzhou/", noLink },
    { u"大连", u"http://gs.veldrin.example/shi/dalian/", u"http://xy.veldrin.example/shi/dalian/" },
    { u"德阳", u"http://gs.veldrin.example/shi/deyang/", noLink },
    { u"鄂州", u"http://gs.veldrin.example/shi/ezhou/", noLink },
    { u"恩施", u"http://gs.veldrin.example/shi/enshi/", noLink },
    { u"福州", u"http://gs.veldrin.example/shi/fuzhou/", noLink },
    { u"广州", u"http://gs.veldrin.example/shi/guangzhou/", u"http://xy.veldrin.example/shi/guangzhou/" },
    { u"贵阳", u"http://gs.veldrin.example/shi/guiyang/", noLink },
    { u"哈尔滨", u"http://gs.veldrin.example/shi/haerbin/", noLink },
    { u"杭州", u"http://gs.veldrin.example/shi/hangzhou/", noLink },
    { u"淮南", u"http://gs.veldrin.example/shi/huainan/", noLink },
    { u"惠州", u"http://gs.veldrin.example/shi/huizhou/", noLink },
    { u"吉林", u"http://gs.veldrin.example/shi/jilin/", noLink },
    { u"济南", u"http://gs.veldrin.example/shi/jinan/", noLink },
    { u"济宁", u"http://gs.veldrin.example/shi/jining/", noLink },
    { u"晋中", u"http://gs.veldrin.example/shi/jinzhong/", noLink },
    { u"荆门", u"http://gs.veldrin.example/shi/jingmen/", noLink },
    { u"九江", u"http://gs.veldrin.example/shi/jiujiang/", noLink },
    { u"昆明", u"http://gs.veldrin.example/shi/kunming/", noLink },
    { u"乐山", u"http://gs.veldrin.example/shi/leshan/", noLink },
    { u"临汾", u"http://gs.veldrin.example/shi/linfen/", noLink },
    { u"临海", u"http://gs.veldrin.example/shi/linhai/", noLink },
    { u"南昌", u"http://gs.veldrin.example/shi/nanchang/", noLink },
    { u"南充", u"http://gs.veldrin.example/shi/nanchong/", noLink },
    { u"南京", u"http://gs.veldrin.example/shi/nanjing/", u"http://xy.veldrin.example/shi/nanjing/" },
    { u"内江", u"http://gs.veldrin.example/shi/neijiang/", noLink },
    { u"宁波", u"http://gs.veldrin.example/shi/ningbo/", noLink },
    { u"青岛", u"http://gs.veldrin.example/shi/qingdao/", noLink },
    { u"衢州", u"http://gs.veldrin.example/shi/quzhou/", noLink },
    { u"泉州", u"http://gs.veldrin.example/shi/quanzhou/", noLink },
    { u"厦门", u"http://gs.veldrin.example/shi/xiamen/", u"http://xy.veldrin.example/shi/xiamen/" },
    { u"上饶", u"http://gs.veldrin.example/shi/shangrao/", noLink },
    { u"深圳", u"http://gs.veldrin.example/shi/shenzhen/", noLink },
    { u"沈阳", u"http://gs.veldrin.example/shi/shenyang/", noLink },
    { u"朔州", u"http://gs.veldrin.example/shi/shuozhou/", noLink },
    { u"台州", u"http://gs.veldrin.example/shi/taizhou/", noLink },
    { u"温州", u"http://gs.veldrin.example/shi/wenzhou/", noLink },
    { u"乌鲁木齐", u"http://gs.veldrin.example/shi/wulumuqi/", noLink },
    { u"武汉", u"http://gs.veldrin.example/shi/wuhan/", noLink },
    { u"西安", u"http://gs.veldrin.example/shi/xian/", noLink },
    { u"新乡", u"http://gs.veldrin.example/shi/xinxiang/", noLink },
    { u"新乡北站分局", u"http://gs.veldrin.example/shi/xinxiang-beizhan/", noLink },
    { u"兴安盟", u"http://gs.veldrin.example/shi/xinganmeng/", noLink },
    { u"雅安", u"http://gs.veldrin.example/shi/yaan/", noLink },
    { u"扬州", u"http://gs.veldrin.example/shi/yangzhou/", noLink },
    { u"宜昌", u"http://gs.veldrin.example/shi/yichang/", noLink },
    { u"荥阳", u"http://gs.veldrin.example/shi/xingyang/", noLink },
    { u"云浮", noLink, u"http://xy.veldrin.example/shi/yunfu/" },
    { u"镇海", u"http://gs.veldrin.example/shi/zhenhai/", noLink },
    { u"郑州", u"http://gs.veldrin.example/shi/zhengzhou/", noLink },
} };

// The province pick list ends with 香港, 澳门, 台湾; the directory has 台湾 before them.
constexpr std::array<const char16_t*, 3> provinceListEnd = { u"香港", u"澳门", u"台湾" };

QStringList namesOf(std::span<const RegistryEntry> entries)
{
    QStringList names;
    for (const RegistryEntry& entry : entries)
        names.append(QString::fromUtf16(entry.name));
    return names;
}

} // namespace

std::span<const RegistryEntry> registryEntries(RegistrySection section)
{
    if (section == RegistrySection::Province)
        return provinces;
    return cities;
}

const RegistryEntry* findRegistryEntry(RegistrySection section, const QString& name)
{
    for (const RegistryEntry& entry : registryEntries(section)) {
        if (name == QStringView(entry.name))
            return &entry;
    }
    return nullptr;
}

QStringList registryChoices(RegistrySection section)
{
    QStringList names = namesOf(registryEntries(section));
    if (section == RegistrySection::Province) {
        names.resize(names.size() - static_cast<qsizetype>(provinceListEnd.size()));
        for (const char16_t* name : provinceListEnd)
            names.append(QString::fromUtf16(name));
    }
    return names;
}

} // namespace veldrin
