#include "checks/site/whoisrows.h"

namespace veldrin {

namespace {

// Rows 1 to 149, in order. Each row works on the text the rows before it left, so a label
// whose find text holds an earlier row's find text is shown as that earlier row left it.
constexpr Replacement beforeSiteName[] = {
    { u"Name Server", u"服务器名" }, // 1
    { u"Whois Server Version", u"Whois服务版本" }, // 2
    { u"Domain Name", u"域名" }, // 3
    { u"Registrant Organization", u"注册组织" }, // 4
    { u"Registrant Address", u"注册员地址" }, // 5
    { u"Registrant City", u"注册员城市" }, // 6
    { u"Registrant Province/State", u"注册员省份/州" }, // 7
    { u"Registrant Postal Code", u"注册员邮政编码" }, // 8
    { u"Registrant Country Code", u"注册员国家编码" }, // 9
    { u"Registration Date", u"注册日期" }, // 10
    { u"Updated Date", u"更新日期" }, // 11
    { u"Created On", u"建立日期" }, // 12
    { u"Creation Date", u"建立日期" }, // 13
    { u"Expiry Date", u"终止日期" }, // 14
    { u"Expiration Date", u"终止日期" }, // 15
    { u"Admin Name", u"管理员姓名" }, // 16
    { u"Admin Fax", u"管理员传真" }, // 17
    { u"Admin Phone", u"管理员电话" }, // 18
    { u"Admin Email", u"管理员邮箱" }, // 19
    { u"Admin Address", u"管理员地址" }, // 20
    { u"Administrative ID", u"管理员编号" }, // 21
    { u"Administrative Name", u"管理员姓名" }, // 22
    { u"Administrative Organization", u"管理员组织" }, // 23
    { u"Administrative Address", u"管理员地址" }, // 24
    { u"Administrative Province/State", u"管理员省份" }, // 25
    { u"Administrative City", u"管理员城市" }, // 26
    { u"Organisation Name", u"组织名" }, // 27
    { u"Registrant ID", u"登记员编号" }, // 28
    { u"Organisation Address", u"组织地址" }, // 29
    { u"Tech Name", u"技术员姓名" }, // 30
    { u"Tech Address", u"技术员地址" }, // 31
    { u"Tech Email", u"技术员邮箱" }, // 32
    { u"Tech Phone", u"技术员电话" }, // 33
    { u"Tech Fax", u"技术员传真" }, // 34
    { u"Administrative Postal Code", u"管理员邮政编码" }, // 35
    { u"Administrative Country Code", u"管理员国家编码" }, // 36
    { u"Administrative Phone Number", u"管理员电话" }, // 37
    { u"Administrative Fax", u"管理员传真" }, // 38
    { u"Administrative Email", u"管理员邮箱" }, // 39
    { u"Billing Name", u"账单姓名" }, // 40
    { u"Billing Organization", u"账单组织" }, // 41
    { u"Billing Address", u"账单地址" }, // 42
    { u"Billing City", u"账单城市" }, // 43
    { u"Billing Province/State", u"账单省份" }, // 44
    { u"Billing Postal Code", u"账单邮政编码" }, // 45
    { u"Billing Country Code", u"账单国家编码" }, // 46
    { u"Billing Phone Number", u"账单电话" }, // 47
    { u"Billing Fax", u"账单传真" }, // 48
    { u"Billing Email", u"账单邮箱" }, // 49
    { u"Technical ID", u"技术员编号" }, // 50
    { u"Technical Name", u"技术员姓名" }, // 51
    { u"Technical Organization", u"技术员组织" }, // 52
    { u"Technical Address", u"技术员地址" }, // 53
    { u"Technical City", u"技术员城市" }, // 54
    { u"Technical Province/State", u"技术员省份" }, // 55
    { u"Technical Postal Code", u"技术员邮政编码" }, // 56
    { u"Technical Country Code", u"技术员国家编码" }, // 57
    { u"Technical Phone Number", u"技术员电话" }, // 58
    { u"Technical Fax", u"技术员传真" }, // 59
    { u"Technical Email", u"技术员邮箱" }, // 60
    { u"Last Updated On", u"最后更新" }, // 61
    { u"Sponsoring Registrar", u"主办登记者" }, // 62
    { u"Registrant Name", u"登记员姓名" }, // 63
    { u"Registrant Street1", u"登记员街道" }, // 64
    { u"Registrant Street2", u"登记员街道2" }, // 65
    { u"Registrant Street3", u"登记员街道3" }, // 66
    { u"Registrant State/Province", u"登记员省份" }, // 67
    { u"Registrant Country", u"登记员国家" }, // 68
    { u"Registrant Phone", u"登记员电话" }, // 69
    { u"Registrant Fax", u"登记员传真" }, // 70
    { u"Registrant Email", u"登记员邮箱" }, // 71
    { u"Admin ID", u"管理员编号" }, // 72
    { u"Admin Organization", u"管理员组织" }, // 73
    { u"Admin Street1", u"管理员街道1" }, // 74
    { u"Admin Street2", u"管理员街道2" }, // 75
    { u"Admin Street3", u"管理员街道3" }, // 76
    { u"Admin City", u"管理员城市" }, // 77
    { u"Admin State/Province", u"管理员省份" }, // 78
    { u"Admin Postal Code", u"管理员邮政编码" }, // 79
    { u"Admin Country", u"管理员国家" }, // 80
    { u"Tech ID", u"技术员编号" }, // 81
    { u"Tech Street1", u"技术员街道1" }, // 82
    { u"Tech Street2", u"技术员街道2" }, // 83
    { u"Tech Street3", u"技术员街道3" }, // 84
    { u"Tech City", u"技术员城市" }, // 85
    { u"Tech State/Province", u"技术员省份" }, // 86
    { u"Tech Postal Code", u"技术员邮政编码" }, // 87
    { u"Tech Country", u"技术员国家" }, // 88
    { u"Domain Status", u"域状态" }, // 89
    { u"Registrant Address1", u"登记人地址" }, // 90
    { u"Registrant Phone Number", u"登记人电话" }, // 91
    { u"Registrant Facsimile Number", u"登记人传真" }, // 92
    { u"Administrative Contact ID", u"管理员编号" }, // 93
    { u"Administrative Contact Name", u"管理员姓名" }, // 94
    { u"Administrative Contact Organization", u"管理员组织" }, // 95
    { u"Administrative Contact Address1", u"管理员地址" }, // 96
    { u"Administrative Contact City", u"管理员城市" }, // 97
    { u"Administrative Contact State/Province", u"管理员省份" }, // 98
    { u"Administrative Contact Postal Code", u"管理员邮政编码" }, // 99
    { u"Administrative Contact Country", u"管理员国家" }, // 100
    { u"Administrative Contact Country Code", u"管理员国家代码" }, // 101
    { u"Administrative Contact Phone Number", u"管理员电话号码" }, // 102
    { u"Administrative Contact Facsimile Number", u"管理员传真号码" }, // 103
    { u"Administrative Contact Email", u"管理员邮箱" }, // 104
    { u"Billing Contact ID", u"营业额联系人编号" }, // 105
    { u"Billing Contact Name", u"营业额联系人姓名" }, // 106
    { u"Billing Contact Organization", u"营业额联系人组织" }, // 107
    { u"Billing Contact Address1", u"营业额联系人地址" }, // 108
    { u"Billing Contact City", u"营业额联系人城市" }, // 109
    { u"Billing Contact State/Province", u"营业额联系人省份" }, // 110
    { u"Billing Contact Postal Code", u"营业额联系人邮政编码" }, // 111
    { u"Billing Contact Country", u"营业额联系人国家" }, // 112
    { u"Billing Contact Country Code", u"营业额联系人国家代码" }, // 113
    { u"Billing Contact Phone Number", u"营业额联系人电话号码" }, // 114
    { u"Billing Contact Facsimile Number", u"营业额联系人传真号码" }, // 115
    { u"Billing Contact Email", u"营业额联系人邮箱" }, // 116
    { u"Technical Contact ID", u"技术员编号" }, // 117
    { u"Technical Contact Name", u"技术员姓名" }, // 118
    { u"Technical Contact Organization", u"技术员组织" }, // 119
    { u"Technical Contact Address1", u"技术员地址" }, // 120
    { u"Technical Contact City", u"技术员城市" }, // 121
    { u"Technical Contact State/Province", u"技术员省份" }, // 122
    { u"Technical Contact Postal Code", u"技术员邮政编码" }, // 123
    { u"Technical Contact Country", u"技术员国家" }, // 124
    { u"Technical Contact Phone Number", u"技术员电话号码" }, // 125
    { u"Technical Contact Facsimile Number", u"技术员传真号码" }, // 126
    { u"Technical Contact Email", u"技术员邮箱" }, // 127
    { u"Created by Registrar", u"登记日期" }, // 128
    { u"Last Updated by Registrar", u"最近更新日期" }, // 129
    { u"Last Transfer Date", u"最近迁移信息" }, // 130
    { u"Domain Registration Date", u"域登记日期" }, // 131
    { u"Domain Expiration Date", u"域过期日期" }, // 132
    { u"Domain Last Updated Date", u"域最近更新日期" }, // 133
    { u"Whois database was last updated on", u"Whois数据库最近更新日期" }, // 134
    { u"Trademark Name", u"商标名" }, // 135
    { u"Trademark Date", u"商标日期" }, // 136
    { u"Trademark Country", u"商标国家" }, // 137
    { u"Trademark Number", u"商标号" }, // 138
    { u"Number", u"数字" }, // 139
    { u"Status", u"状态" }, // 140
    { u"clientDeleteProhibited", u"客户禁止删除" }, // 141
    { u"clientTransferProhibited", u"客户禁止转让" }, // 142
    { u"clientUpdateProhibited", u"客户禁止更新" }, // 143
    { u"serverDeleteProhibited", u"服务禁止删除" }, // 144
    { u"Whois Server", u"Whois服务器" }, // 145
    { u"Referral URL", u"转送网址" }, // 146
    { u"Registrar", u"注册" }, // 147
    { u"Last update of whois database", u"上次Whois数据库更新日期" }, // 148
    { u" Enter a domain name or IP address: ", u"" }, // 149
};

// After the whois service's own site name: the prefix of its copyright notice (the sign
// written as a plain question mark, as the page text carries it), then rows 151 to 160.
constexpr Replacement afterSiteName[] = {
    { u"Copyright ? ", u"" },
    { u"clientRenewProhibited", u"客户禁止延长注册期" }, // 151
    { u"Domain servers in listed order", u"域名服务器中列出的顺序" }, // 152
    { u"About us", u"" }, // 153
    { u"Tools", u"" }, // 154
    { u"Twitter", u"" }, // 155
    { u"Billing ID", u"账单编号" }, // 156
    { u"serverUpdateProhibited", u"服务禁止更新" }, // 157
    { u"ServerTransferProhibited", u"服务禁止转让" }, // 158
    { u"serverTransferProhibited", u"服务禁止转让" }, // 159
    { u"DNS Servers", u"域名解析服务器" }, // 160
};

} // namespace

QString rewriteWhoisRecord(QString record, QStringView siteName)
{
    const auto apply = [&record](const Replacement& row) {
        record.replace(row.find.data(), row.find.size(), row.replacement.data(), row.replacement.size(),
                       Qt::CaseSensitive);
    };
    for (const Replacement& row : beforeSiteName)
        apply(row);
    // An empty name would match everywhere; the table has no empty find text.
    if (!siteName.isEmpty())
        apply(Replacement { siteName, u"" });
    for (const Replacement& row : afterSiteName)
        apply(row);
    return record;
}

} // namespace veldrin
