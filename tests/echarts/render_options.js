// Renders option documents with ECharts' server-side SVG renderer and reports,
// per document, what ECharts printed or threw and what it made of the data.
//
//   node render_options.js < {"width": W, "height": H, "documents": {NAME: OPTION_JSON_TEXT}}
//
// Prints {"echarts": VERSION, "results": {NAME: {"messages", "error", "series",
// "visualMap", "svg"}}}; a line series reports the colour of its tooltip marker.
// echarts is resolved through NODE_PATH (the pinned install).
'use strict';

// The development build of ECharts reports misuse on the console.
let messages = [];
for (const level of ['log', 'info', 'warn', 'error', 'debug', 'trace']) {
  console[level] = (...args) => messages.push(args.map(String).join(' '));
}
process.on('warning', (w) => messages.push(String(w)));

const echarts = require('echarts');
const request = JSON.parse(require('fs').readFileSync(0, 'utf8'));
const results = {};
for (const [name, text] of Object.entries(request.documents)) {
  messages = [];
  const result = results[name] = {messages, error: null, series: [], visualMap: [], svg: ''};
  const chart = echarts.init(null, null, {renderer: 'svg', ssr: true, width: request.width, height: request.height});
  try {
    chart.setOption(JSON.parse(text));
    const model = chart.getModel();
    result.series = model.getSeries().map((s) => {
      const data = s.getData();
      const dimension = data.mapDimension(s.subType === 'heatmap' ? 'value' : 'y');
      const values = data.mapArray(dimension, (v) => (Number.isFinite(v) ? v : null));
      const marker = s.subType === 'line' && data.count() ? s.formatTooltip(0, true).blocks[0].markerColor : null;
      return {type: s.subType, name: s.name, values, marker};
    });
    result.visualMap = model.findComponents({mainType: 'visualMap'}).map((v) => ({min: v.option.min, max: v.option.max}));
    result.svg = chart.renderToSVGString();
  } catch (e) {
    result.error = String((e && e.stack) || e);
  }
  chart.dispose();
}
process.stdout.write(JSON.stringify({echarts: echarts.version, results}));
