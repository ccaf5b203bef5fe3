// Prints the blocks of a Logseq page as Logseq's own parser (mldoc) reads them, one JSON array: each block's depth,
// its first line's text, its properties and the text of its other lines. Text is what the reader sees: plain text,
// emphasis and link labels as their words; anything else Logseq makes of it (a formula, a macro, a block reference)
// as <Kind>, so that a test sees it.
// Usage: node logseq-blocks.js NOTE (with NODE_PATH naming the folder that holds mldoc)
const { Mldoc } = require('mldoc');
const fs = require('fs');

const config = JSON.stringify({
    toc: false, parse_outline_only: false, heading_number: false, keep_line_break: true, format: 'Markdown',
    heading_to_list: false, exporting_keep_properties: true, inline_type_with_pos: false, inline_skip_macro: false,
    export_md_remove_options: [], hiccup_in_block: true,
});

function text(inlines) {
    let out = '';
    for (const [kind, value] of inlines) {
        if (kind === 'Plain') out += value;
        else if (kind === 'Break_Line' || kind === 'Hard_Break_Line') out += '\n';
        else if (kind === 'Emphasis') out += text(value[1]);
        else if (kind === 'Link' && value.url[0] !== 'Block_ref' && value.url[0] !== 'Embed_data') out += text(value.label);
        else out += '<' + kind + '>';
    }
    return out;
}

function bodyText(element) {
    const [kind, value] = element;
    if (kind === 'Paragraph') return text(value);
    if (kind === 'Quote') return value.map(bodyText).join('');
    if (kind === 'Heading') return text(value.title);
    return '<' + kind + '>';
}

const page = JSON.parse(Mldoc.parseJson(fs.readFileSync(process.argv[2], 'utf8'), config));
const blocks = [];
let block = { level: 0, title: '', properties: {}, body: '' }; // the page's own properties, before any block
for (const [element] of page) {
    const [kind, value] = element;
    if (kind === 'Heading' && value.unordered) {
        blocks.push(block);
        block = { level: value.level, title: text(value.title), properties: {}, body: '' };
    } else if (kind === 'Property_Drawer') {
        for (const [key, property] of value) block.properties[key] = property;
    } else {
        block.body += bodyText(element);
    }
}
blocks.push(block);
console.log(JSON.stringify(blocks));
