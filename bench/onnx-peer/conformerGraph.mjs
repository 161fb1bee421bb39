// The conformer encoder described by graph.json, as ONNX nodes over the raw
// weights. It computes what our bundle computes, laid out for this runtime:
// rows are kept as [frames, width] (the batch of one dropped) so every linear
// layer is one Gemm with the weight as stored ([out, in], transB), attention
// runs per head on [heads, frames, width/heads], and the convolution module
// works on [1, width, frames] like ours.

import { GraphBuilder, floatAttribute } from './onnxModel.mjs';

export const OPSET = 17;
export const INPUT = 'features';
export const OUTPUT = 'encoded';

export function buildConformerGraph(index) {
  const g = index.graph;
  if (g.kind !== 'conformer-encoder') {
    throw new Error(`graph.json describes a ${g.kind}, not a conformer encoder`);
  }
  const builder = new GraphBuilder('conformer_encoder');
  const weights = new Map();
  for (const t of index.tensors) {
    weights.set(t.name, builder.external(t.name, t.shape, index.file, t.offset, t.length));
  }
  const w = (name) => {
    if (!weights.has(name)) throw new Error(`graph.json has no tensor "${name}"`);
    return weights.get(name);
  };
  const { width, heads, kernel, epsilon } = g;
  const headWidth = width / heads;
  const shapes = {
    rows: builder.int64s('rows_shape', [-1, width]),
    split: builder.int64s('head_split_shape', [-1, heads, headWidth]),
    channels: builder.int64s('channels_shape', [1, width, -1]),
    channelRows: builder.int64s('channel_rows_shape', [width, -1]),
    glu: builder.int64s('glu_split', [width, width]),
    output: builder.int64s('output_shape', [1, -1, width]),
  };
  const half = builder.scalar('half', 0.5);
  const attentionScale = builder.scalar('attention_scale', 1 / Math.sqrt(headWidth));

  const linear = (x, p) => builder.node('Gemm', [x, w(`${p}_w`), w(`${p}_b`)], { transB: 1 }, { name: p });
  const layerNorm = (x, p) =>
    builder.node('LayerNormalization', [x, w(`${p}_gamma`), w(`${p}_beta`)], { axis: -1, epsilon: floatAttribute(epsilon) }, { name: p });
  const silu = (x) => builder.node('Mul', [x, builder.node('Sigmoid', [x])]);

  const feedForward = (x, p) => {
    const up = linear(layerNorm(x, `${p}_ln`), `${p}_up`);
    const down = linear(silu(up), `${p}_down`);
    return builder.node('Add', [x, builder.node('Mul', [down, half])]);
  };

  const attention = (x, p) => {
    const normed = layerNorm(x, `${p}_ln`);
    const perHead = (part, perm) =>
      builder.node('Transpose', [builder.node('Reshape', [linear(normed, `${p}_${part}`), shapes.split])], { perm });
    const q = perHead('q', [1, 0, 2]); // [heads, frames, headWidth]
    const kT = perHead('k', [1, 2, 0]); // [heads, headWidth, frames]
    const v = perHead('v', [1, 0, 2]);
    const scores = builder.node('Mul', [builder.node('MatMul', [q, kT]), attentionScale]);
    const weighted = builder.node('MatMul', [builder.node('Softmax', [scores], { axis: -1 }), v]);
    const merged = builder.node('Reshape', [builder.node('Transpose', [weighted], { perm: [1, 0, 2] }), shapes.rows]);
    return builder.node('Add', [x, linear(merged, `${p}_o`)]);
  };

  const convolution = (x, p) => {
    const normed = layerNorm(x, `${p}_ln`);
    const channels = builder.node('Reshape', [builder.node('Transpose', [normed], { perm: [1, 0] }), shapes.channels]);
    const pw1 = builder.node('Conv', [channels, w(`${p}_pw1_w`)], { kernel_shape: [1], group: 1 });
    const [a, b] = builder.node('Split', [pw1, shapes.glu], { axis: 1 }, { outputs: 2 });
    const glu = builder.node('Mul', [a, builder.node('Sigmoid', [b])]);
    const pad = (kernel - 1) / 2;
    const dw = builder.node('Conv', [glu, w(`${p}_dw_w`)], { kernel_shape: [kernel], group: width, pads: [pad, pad] });
    const bn = builder.node(
      'BatchNormalization',
      [dw, w(`${p}_bn_gamma`), w(`${p}_bn_beta`), w(`${p}_bn_mean`), w(`${p}_bn_variance`)],
      { epsilon: floatAttribute(epsilon) },
    );
    const pw2 = builder.node('Conv', [silu(bn), w(`${p}_pw2_w`)], { kernel_shape: [1], group: 1 });
    const rows = builder.node('Transpose', [builder.node('Reshape', [pw2, shapes.channelRows])], { perm: [1, 0] });
    return builder.node('Add', [x, rows]);
  };

  const features = builder.floatInput(INPUT, [1, g.melBins, 'T']);
  const frames = builder.node('Transpose', [features], { perm: [0, 2, 1] });
  let x = linear(builder.node('Reshape', [frames, shapes.rows]), g.front);
  for (let b = 0; b < g.blocks; b++) {
    const p = g.blockPrefix.replace('<index>', String(b));
    x = feedForward(x, `${p}ff1`);
    x = attention(x, `${p}mhsa`);
    x = convolution(x, `${p}conv`);
    x = feedForward(x, `${p}ff2`);
    x = layerNorm(x, `${p}final_ln`);
  }
  builder.node('Reshape', [x, shapes.output], {}, { name: OUTPUT });
  builder.floatOutput(OUTPUT, [1, 'frames', width]);
  return builder.encode(OPSET);
}
