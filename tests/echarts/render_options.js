// Renders option documents with ECharts' server-side SVG renderer and reports,
// per document, what ECharts said and what it made of the data.
//
//   node render_options.js REQUEST.json
//
// REQUEST: {"width": W, "height": H, "svg_dir": DIR,
//           "documents": [{"name": NAME, "path": OPTION_JSON_FILE}, ...]}
// Prints one JSON object: {"echarts": VERSION, "results": [RESULT, ...]} with
// RESULT = {"name", "messages": [{"level", "text"}], "error", "series": [...],
//           "visualMap": [...], "svg": PATH}.
// echarts is resolved through NODE_PATH (the pinned install in the cache).
'use strict';

const fs = require('fs');
const path = require('path');

// Everything ECharts prints is captured per document; the dev build of
// ECharts reports misuse through console.warn and console.error.
let messages = [];
for (const level of ['log', 'info', 'warn', 'error', 'debug', 'trace']) {
  console[level] = (...args) => {
    messages.push({level, text: args.map((a) => (a instanceof Error ? a.stack : String(a))).join(' ')});
  };
}
process.on('warning', (w) => messages.push({level: 'process-warning', text: String(w)}));

const echarts = require('echarts');

function describe(chart) {
  const model = chart.getModel();
  const series = model.getSeries().map((s) => ({
    type: s.subType,
    name: s.name,
    count: s.getData().count(),
    values: s.getData().mapArray(s.getData().mapDimension(s.subType === 'heatmap' ? 'value' : 'y'),
                                 (v) => (Number.isFinite(v) ? v : null)),
  }));
  const visualMap = model.findComponents({mainType: 'visualMap'}).map((v) => ({
    min: v.option.min, max: v.option.max,
  }));
  return {series, visualMap};
}

function render(doc, request) {
  messages = [];
  const result = {name: doc.name, messages, error: null, series: [], visualMap: [], svg: null};
  let chart = null;
  try {
    const option = JSON.parse(fs.readFileSync(doc.path, 'utf8'));
    chart = echarts.init(null, null, {renderer: 'svg', ssr: true, width: request.width, height: request.height});
    chart.setOption(option);
    Object.assign(result, describe(chart));
    const svg = chart.renderToSVGString();
    result.svg = path.join(request.svg_dir, doc.name + '.echarts.svg');
    fs.writeFileSync(result.svg, svg);
  } catch (e) {
    result.error = e && e.stack ? e.stack : String(e);
  } finally {
    if (chart) chart.dispose();
  }
  return result;
}

const request = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
const results = request.documents.map((doc) => render(doc, request));
process.stdout.write(JSON.stringify({echarts: echarts.version, results}));
