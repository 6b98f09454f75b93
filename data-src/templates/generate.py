#!/usr/bin/env python3
"""Lays out the document parts (word/document.xml) of the ten form templates.

The XML it writes is the source the build zips; edit it by hand for small changes, or change
the layout here and run `python3 generate.py` in this folder. Every value cell holds one
collapsed bookmark; the program inserts the value right after it.
"""
from pathlib import Path
from xml.sax.saxutils import escape

W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
PAGE_WIDTH = 11906 - 2 * 1134  # A4 between the margins, in twips


class Doc:
    def __init__(self, body_only=False):
        self.lines = []
        self.next_id = 0
        self.names = set()
        self.body_only = body_only  # body templates: values on plain paper, no ruled grid

    def out(self, depth, text):
        self.lines.append("  " * depth + text)

    def runs(self, depth, pieces, size=None):
        """Literal text and ('bm', name) bookmarks, in order."""
        rpr = f'<w:rPr><w:sz w:val="{size}"/><w:szCs w:val="{size}"/></w:rPr>' if size else ""
        for piece in pieces:
            if isinstance(piece, tuple):
                name = piece[1]
                assert name not in self.names, name
                self.names.add(name)
                self.out(depth, f'<w:bookmarkStart w:id="{self.next_id}" w:name="{name}"/>'
                                f'<w:bookmarkEnd w:id="{self.next_id}"/>')
                self.next_id += 1
            else:
                self.out(depth, f'<w:r>{rpr}<w:t xml:space="preserve">{escape(piece)}</w:t></w:r>')

    def para(self, depth, pieces, style="Normal", jc=None, size=None):
        self.out(depth, "<w:p>")
        ppr = f'<w:pStyle w:val="{style}"/>' + (f'<w:jc w:val="{jc}"/>' if jc else "")
        if size:
            ppr += f'<w:rPr><w:sz w:val="{size}"/><w:szCs w:val="{size}"/></w:rPr>'
        self.out(depth + 1, f"<w:pPr>{ppr}</w:pPr>")
        self.runs(depth + 1, pieces, size)
        self.out(depth, "</w:p>")

    def table(self, widths, rows, size=None):
        """rows: lists of cells; a cell is (pieces, span, kind) with kind 'label' or 'value'."""
        self.out(0, "<w:tbl>")
        borders = "" if not self.body_only else (
            '<w:tblBorders><w:top w:val="nil"/><w:left w:val="nil"/><w:bottom w:val="nil"/>'
            '<w:right w:val="nil"/><w:insideH w:val="nil"/><w:insideV w:val="nil"/></w:tblBorders>')
        self.out(1, f'<w:tblPr><w:tblStyle w:val="FormGrid"/><w:tblW w:w="{sum(widths)}" w:type="dxa"/>'
                    f'{borders}<w:tblLayout w:type="fixed"/></w:tblPr>')
        self.out(1, "<w:tblGrid>")
        for width in widths:
            self.out(2, f'<w:gridCol w:w="{width}"/>')
        self.out(1, "</w:tblGrid>")
        for row in rows:
            self.out(1, "<w:tr>")
            self.out(2, '<w:trPr><w:cantSplit/><w:trHeight w:val="400"/></w:trPr>')
            col = 0
            for pieces, span, kind in row:
                width = sum(widths[col:col + span])
                col += span
                self.out(2, "<w:tc>")
                span_xml = f'<w:gridSpan w:val="{span}"/>' if span > 1 else ""
                self.out(3, f'<w:tcPr><w:tcW w:w="{width}" w:type="dxa"/>{span_xml}<w:vAlign w:val="center"/></w:tcPr>')
                self.para(3, pieces, "Label" if kind == "label" else "Value", size=size)
                self.out(2, "</w:tc>")
            assert col == len(widths), (row, col, len(widths))
            self.out(1, "</w:tr>")
        self.out(0, "</w:tbl>")

    def page_break(self):
        self.out(0, '<w:p><w:r><w:br w:type="page"/></w:r></w:p>')

    def xml(self):
        head = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>', f"<w:document {W}>", "  <w:body>"]
        tail = ['    <w:sectPr>',
                '      <w:pgSz w:w="11906" w:h="16838"/>',
                '      <w:pgMar w:top="1440" w:right="1134" w:bottom="1440" w:left="1134"'
                ' w:header="851" w:footer="992" w:gutter="0"/>',
                '    </w:sectPr>', "  </w:body>", "</w:document>", ""]
        return "\n".join(head + ["    " + line for line in self.lines] + tail)


def bm(name):
    return ("bm", name)


def lab(text, span=1):
    return ([text], span, "label")


def val(*pieces, span=1):
    return (list(pieces), span, "value")


def pairs(items, columns=2):
    """Rows of label/value pairs, `columns` pairs a row; a pair is (label, bookmark[, span])."""
    label_w = 2100
    value_w = PAGE_WIDTH // columns - label_w
    widths = [label_w, value_w] * columns
    rows, row = [], []
    for item in items:
        label, content = item[0], item[1]
        pieces = [bm(content)] if isinstance(content, str) else content
        span = item[2] if len(item) > 2 else 1
        used = sum(c[1] for c in row)
        if row and used + 2 * span > len(widths):  # a wide pair starts a row of its own
            rows.append(row + [val(span=len(widths) - used)])
            row = []
        row += [lab(label), val(*pieces, span=2 * span - 1)]
        if sum(c[1] for c in row) >= len(widths):
            rows.append(row)
            row = []
    if row:
        rows.append(row + [val(span=len(widths) - sum(c[1] for c in row))])
    return widths, rows


def grid_pairs(doc, items, columns=2):
    widths, rows = pairs(items, columns)
    doc.table(widths, rows)


def numbered_list(doc, headers, widths, prefixes, cap, number_prefix=None, size=18):
    """Header row, then `cap` rows; column k of row n holds bookmark prefixes[k] + n. A column
    without a prefix shows the row number."""
    scale = PAGE_WIDTH / sum(widths)
    widths = [int(w * scale) for w in widths]
    widths[-1] += PAGE_WIDTH - sum(widths)
    rows = [[lab(h) for h in headers]]
    for n in range(1, cap + 1):
        rows.append([val(bm(f"{p}{n}")) if p else lab(str(n)) for p in prefixes])
    doc.table(widths, rows, size=size)


def big_cell(doc, label, name, height_lines=6):
    doc.table([1700, PAGE_WIDTH - 1700], [[lab(label), val(bm(name))]])


PATENT_HEADERS = ["序号", "专利申请号", "专利名称"]
UNIT_HEADERS = ["序号", "单位名称", "详细通信地址", "邮政编码", "联系人", "联系电话"]
UNIT_WIDTHS = [5, 22, 30, 10, 10, 13]
UNIT_PREFIXES = ["item_176_", "item_170_", "item_171_", "item_172_", "item_173_", "item_174_"]
PERSON_HEADERS = ["排名", "姓名", "性别", "出生年月", "技术职称", "文化程度", "留学归国", "工作单位", "对成果创造性贡献"]
PERSON_WIDTHS = [6, 11, 5, 9, 9, 9, 7, 19, 25]
PERSON_PREFIXES = ["item_187_", "item_180_", "item_181_", "item_182_", "item_183_", "item_184_", "item_188_",
                   "item_185_", "item_186_"]
COMMITTEE_HEADERS = ["评价委员会职务", "姓名", "性别", "工作单位", "所学专业", "现从事专业", "技术职称"]
COMMITTEE_WIDTHS = [12, 9, 5, 26, 14, 14, 12]
COMMITTEE_PREFIXES = ["item_191_", "item_192_", "item_193_", "item_195_", "item_196_", "item_197_", "item_198_"]


def without(headers, widths, prefixes, left_out):
    keep = [i for i, p in enumerate(prefixes) if p not in left_out]
    return [headers[i] for i in keep], [widths[i] for i in keep], [prefixes[i] for i in keep]


# --------------------------------------------------------------------------------------------
# Covers

def cover(category, full_lines=True, body_only=False):
    doc = Doc(body_only)
    doc.para(0, [] if body_only else ["编号："], jc="right")
    doc.para(0, ["科 技 成 果 登 记 表"] if not body_only else [], "CoverTitle")
    doc.para(0, [f"（{category}）"], "FormTitle")
    lines = [("成果名称", [bm("item_3")]), ("完成单位", [bm("item_9")])]
    if full_lines:
        lines += [("研究起止时间", [bm("item_8_1"), " 至 ", bm("item_8_2")]),
                  ("推荐单位", [bm("item_128")]),
                  ("批准登记号", [bm("item_120")])]
    lines += [("批准登记日期", [bm("item_121")])]
    doc.table([2400, PAGE_WIDTH - 2400], [[lab(label), val(*pieces)] for label, pieces in lines], size=28)
    doc.para(0, [])
    doc.para(0, ["中华人民共和国科学技术部制"] if not body_only else [], "FormTitle", size=28)
    return doc


# --------------------------------------------------------------------------------------------
# Registration forms

def registration(applied, body_only, unit_cap):
    doc = Doc(body_only)
    doc.para(0, ["科技成果登记表" + ("（应用技术类）" if applied else "（基础理论、软科学类）")], "FormTitle")
    doc.para(0, ["一、成果概况"], "Section")
    items = [("成果名称", "item_3", 2),
             ("关键词", [bm("item_14_1"), "；", bm("item_14_2"), "；", bm("item_14_3")], 2)]
    if applied:
        items += [("成果体现形式", "item_123"), ("成果所处阶段", "item_16"), ("成果水平", "item_2"),
                  ("转让范围", "item_33"), ("研究形式", "item_201"), ("成果属性", "item_125_1")]
    else:
        items += [("成果体现形式", "item_210"), ("成果水平", "item_2"), ("研究形式", "item_201")]
    items += [("学科分类", [bm("item_15"), "；", bm("item_15_1")], 2),
              ("中图分类号", [bm("item_12"), "；", bm("item_12_1")], 2)]
    if applied:
        items += [("所属高新技术领域", "item_124_1", 2)]
    else:
        items += [("社会经济目标", "item_200", 2)]
    items += [("成果主要应用行业", "item_125", 2), ("课题来源", "item_126", 2)]
    grid_pairs(doc, items)

    doc.para(0, ["二、课题立项及投入（万元）"], "Section")
    grid_pairs(doc, [("课题立项编号", "item_127", 2), ("课题立项名称", "item_127_1", 2),
                     ("投入总计", "item_149"), ("国家投入", "item_141"), ("部门投入", "item_148"),
                     ("地方投入", "item_142"), ("其中：省级", "item_142_1"), ("地级", "item_142_2"),
                     ("县级", "item_142_3"), ("基金投入", "item_143"), ("自有资金", "item_144"),
                     ("银行贷款", "item_243"), ("国外资金", "item_244"), ("其他", "item_145")])

    doc.para(0, ["三、评价情况"], "Section")
    grid_pairs(doc, [("评价方式", "item_21"), ("评价日期", "item_34"), ("评价单位", "item_130", 2),
                     ("评价报告编号", "item_22", 2)])

    if applied:
        doc.para(0, ["四、知识产权情况"], "Section")
        grid_pairs(doc, [("知识产权形式", "item_51"), ("专利类型", "patent_ty"), ("专利情况", "item_51_1"),
                         ("申请专利项数", "item_51_2"), ("授权专利项数", "item_51_3"),
                         ("软件著作权登记号", "item_53"), ("软件著作权名称", "item_52", 2)])
        doc.para(0, ["已申请的专利"], "Normal")
        numbered_list(doc, PATENT_HEADERS, [6, 30, 64], [None, "patentl_no_", "patentl_nam_"], 5)
        doc.para(0, ["已授权的专利"], "Normal")
        numbered_list(doc, ["序号", "专利号", "专利名称"], [6, 30, 64], [None, "patent_no_", "patent_nam_"], 5)

        doc.para(0, ["五、成果应用情况（万元）"], "Section")
        grid_pairs(doc, [("应用状态", "item_32"), ("已转让企业数", "item_45"), ("技术转让收入", "item_150"),
                         ("其中知识产权转让收入", "item_162"), ("净利润", "item_151_1"),
                         ("实交税金", "item_152_1"), ("出口创汇", "item_153"), ("节约资金", "item_154"),
                         ("预计达产投资", "item_46"), ("预计达产利润", "item_47"),
                         ("推广形式", "item_161", 2), ("未应用或停用原因", "item_32_1", 2)])

    number = "六" if applied else "四"
    doc.para(0, [f"{number}、第一完成单位情况"], "Section")
    grid_pairs(doc, [("单位名称", "item_9", 2), ("组织机构代码", "item_420"), ("邮政编码", "item_38"),
                     ("通讯地址", "item_37", 2), ("电话", "item_39"), ("传真", "item_40"),
                     ("单位网址", "item_60"), ("电子信箱", "item_61"),
                     ("联系人", "item_41"), ("联系人电话", "item_41_2"),
                     ("成果转让联系人", "TLinkMan"), ("联系人电话", "TLinkManTe"),
                     ("联系人电子信箱", "TLinkManEm", 2),
                     ("单位属性", [bm("item_62"), bm("item_163")], 2),
                     ("所在省市", "item_64"), ("隶属关系", "item_63")])

    number = "七" if applied else "五"
    doc.para(0, [f"{number}、合作完成单位"], "Section")
    numbered_list(doc, UNIT_HEADERS, UNIT_WIDTHS, UNIT_PREFIXES, unit_cap)

    number = "八" if applied else "六"
    doc.para(0, [f"{number}、成果公报内容"], "Section")
    big_cell(doc, "成果公报", "item_13_1")

    doc.page_break()
    number = "九" if applied else "七"
    doc.para(0, [f"{number}、成果完成人员名单"], "Section")
    numbered_list(doc, PERSON_HEADERS, PERSON_WIDTHS, PERSON_PREFIXES, 45, size=16)

    number = "十" if applied else "八"
    doc.para(0, [f"{number}、评价委员会名单"], "Section")
    numbered_list(doc, COMMITTEE_HEADERS, COMMITTEE_WIDTHS, COMMITTEE_PREFIXES, 13)
    return doc


# --------------------------------------------------------------------------------------------
# Evaluation application and certificate

def application():
    doc = Doc()
    doc.para(0, ["科学技术成果鉴定申请表"], "CoverTitle")
    doc.table([2400, PAGE_WIDTH - 2400], [[lab("成果名称"), val(bm("item_3_1"))],
                                          [lab("申请鉴定单位"), val(bm("item_9"))],
                                          [lab("组织鉴定单位"), val(bm("item_130_1"))]], size=28)
    doc.page_break()
    doc.para(0, ["一、基本情况"], "Section")
    grid_pairs(doc, [("成果名称", "item_3_2", 2),
                     ("研究起止时间", [bm("item_8_1"), " 至 ", bm("item_8_2")], 2),
                     ("完成单位", "item_9_1", 2),
                     ("省市代码", "item_64"), ("所在省市", "item_64_1"),
                     ("隶属关系代码", "item_63"), ("隶属关系", "item_63_1"),
                     ("单位属性代码", "item_62"), ("联系人", "item_41"),
                     ("邮政编码", "item_38"), ("联系电话", "item_41_2"),
                     ("通讯地址", "item_37", 2),
                     ("课题来源代码", "item_126"), ("课题来源", "item_126_2"),
                     ("是否涉密", "item_1_1"), ("密级", "item_1_2")])
    doc.para(0, ["二、成果简介"], "Section")
    big_cell(doc, "成果简介", "item_13_1")
    doc.para(0, ["三、主要技术文件目录及来源"], "Section")
    big_cell(doc, "技术文件", "item_13_3")
    doc.para(0, ["四、主要研制人员名单"], "Section")
    headers, widths, prefixes = without(PERSON_HEADERS, PERSON_WIDTHS, PERSON_PREFIXES, {"item_188_"})
    numbered_list(doc, headers, widths, prefixes, 15)
    return doc


def certificate():
    doc = Doc()
    doc.para(0, ["科学技术成果鉴定证书"], "CoverTitle")
    doc.table([2400, PAGE_WIDTH - 2400],
              [[lab("成果名称"), val(bm("item_3"))],
               [lab("完成单位"), val(bm("item_9"))],
               [lab("鉴定形式"), val(bm("item_21"))],
               [lab("组织鉴定单位"), val(bm("item_130"))],
               [lab("鉴定日期"), val(bm("item_34_y"), "年", bm("item_34_m"), "月", bm("item_34_d"), "日")],
               [lab("鉴定批准日期"), val(bm("item_302_y"), "年", bm("item_302_m"), "月", bm("item_302_d"), "日")]],
              size=28)
    doc.page_break()
    for title, name in [("一、简要技术说明及主要技术性能指标", "item_13_1"),
                        ("二、推广应用前景与措施", "item_13_2"),
                        ("三、主要技术文件目录及来源", "item_13_3"),
                        ("四、测试报告", "item_133"),
                        ("五、鉴定意见", "item_303")]:
        doc.para(0, [title], "Section")
        big_cell(doc, title[2:6], name)
    doc.para(0, ["六、完成单位情况"], "Section")
    grid_pairs(doc, [("第一完成单位", "item_9_2", 2), ("邮政编码", "item_38"), ("所在省市代码", "item_64"),
                     ("通讯地址", "item_37", 2), ("隶属关系", "item_63"), ("单位属性", "item_62")])
    numbered_list(doc, ["序号", "合作完成单位", "详细通信地址", "邮政编码"], [6, 40, 40, 14],
                  [None, "item_170_", "item_171_", "item_172_"], 7)
    doc.para(0, ["七、主要研制人员名单"], "Section")
    headers, widths, prefixes = without(PERSON_HEADERS, PERSON_WIDTHS, PERSON_PREFIXES, {"item_188_"})
    numbered_list(doc, headers, widths, prefixes, 15)
    doc.para(0, ["八、鉴定委员会名单"], "Section")
    headers, widths, prefixes = without(COMMITTEE_HEADERS, COMMITTEE_WIDTHS, COMMITTEE_PREFIXES, {"item_193_"})
    numbered_list(doc, headers, widths, prefixes, 15)

    doc.page_break()
    doc.para(0, ["科技成果信息表"], "FormTitle")
    grid_pairs(doc, [("成果名称", "item_3_1", 2),
                     ("研究起止时间", [bm("item_8_1"), " 至 ", bm("item_8_2")], 2),
                     ("第一完成单位", "item_9_1", 2),
                     ("隶属关系代码", "item_63_1"), ("所在省市代码", "item_64_1"),
                     ("所在省市", "item_64_2"), ("隶属关系", "item_63_2"),
                     ("单位属性代码", "item_62_1"), ("联系人", "item_41"),
                     ("邮政编码", "item_38_1"), ("联系电话", "item_41_2"),
                     ("通讯地址", "item_37_1", 2),
                     ("鉴定日期", "item_34_1"), ("鉴定批准日期", "item_302_1"),
                     ("组织鉴定单位", "item_130_1", 2),
                     ("是否涉密", "item_1_1"), ("密级", "item_1_2"),
                     ("成果水平代码", "item_2"), ("课题来源代码", "item_126"),
                     ("课题来源", "item_126_2", 2),
                     ("应用行业代码", "item_125"), ("转让范围代码", "item_33"),
                     ("应用状态代码", "item_32_1"), ("应用状态", "item_32_1_1")])
    return doc


TEMPLATES = {
    "应用技术封面": cover("应用技术类"),
    "应用技术封面(正文)": cover("应用技术类", body_only=True),
    "应用技术登记表": registration(True, False, 8),
    "应用技术登记表(正文)": registration(True, True, 8),
    "基础、软科学封面": cover("基础理论、软科学类", full_lines=False),
    "基础、软科学封面(正文)": cover("基础理论、软科学类", body_only=True),
    "基础、软科学登记表": registration(False, False, 5),
    "基础、软科学登记表(正文)": registration(False, True, 8),
    "科学技术成果鉴定申请表": application(),
    "科学技术成果鉴定证书": certificate(),
}

if __name__ == "__main__":
    here = Path(__file__).resolve().parent
    for name, doc in TEMPLATES.items():
        target = here / name / "word" / "document.xml"
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_text(doc.xml(), encoding="utf-8")
        print(f"{name}: {len(doc.names)} bookmarks")
