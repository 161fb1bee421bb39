// Builds an ONNX graph node by node and encodes it as a model file; weights
// stay in their raw file and the model points at them (external data), so
// models beyond the format's 2 GB message limit work and nothing is copied.

import protobuf from 'protobufjs';
import { fileURLToPath } from 'node:url';

const FLOAT = 1;
const INT64 = 7;

const root = new protobuf.Root().loadSync(fileURLToPath(new URL('./onnx-minimal.proto', import.meta.url)), { keepCase: true });
export const ModelProto = root.lookupType('onnx.ModelProto');
const AttributeType = root.lookupEnum('onnx.AttributeProto.AttributeType').values;

function attribute(name, value) {
  if (Array.isArray(value)) {
    return { name, type: AttributeType.INTS, ints: value };
  }
  if (typeof value === 'object' && value.float !== undefined) {
    return { name, type: AttributeType.FLOAT, f: value.float };
  }
  return { name, type: AttributeType.INT, i: value };
}

export class GraphBuilder {
  constructor(name) {
    this.name = name;
    this.nodes = [];
    this.initializers = [];
    this.inputs = [];
    this.outputs = [];
    this.counter = 0;
  }

  // A float32 tensor held in `file` (relative to the model) at that offset.
  external(name, shape, file, offset, length) {
    this.initializers.push({
      name,
      dims: shape,
      data_type: FLOAT,
      data_location: 1,
      external_data: [
        { key: 'location', value: file },
        { key: 'offset', value: String(offset) },
        { key: 'length', value: String(length) },
      ],
    });
    return name;
  }

  int64s(name, values) {
    const raw = Buffer.from(new BigInt64Array(values.map(BigInt)).buffer);
    this.initializers.push({ name, dims: [values.length], data_type: INT64, raw_data: raw });
    return name;
  }

  scalar(name, value) {
    this.initializers.push({ name, dims: [], data_type: FLOAT, raw_data: Buffer.from(new Float32Array([value]).buffer) });
    return name;
  }

  // Adds a node and returns its output names (one unless `outputs` says more).
  node(opType, inputs, attributes = {}, { outputs = 1, name } = {}) {
    const base = name ?? `${opType.toLowerCase()}_${this.counter++}`;
    const outputNames = outputs === 1 ? [base] : Array.from({ length: outputs }, (_, i) => `${base}_${i}`);
    this.nodes.push({
      op_type: opType,
      name: base,
      input: inputs,
      output: outputNames,
      attribute: Object.entries(attributes).map(([key, value]) => attribute(key, value)),
    });
    return outputs === 1 ? outputNames[0] : outputNames;
  }

  // `shape` entries are numbers or names of dimensions left free.
  floatInput(name, shape) {
    this.inputs.push(valueInfo(name, shape));
    return name;
  }

  floatOutput(name, shape) {
    this.outputs.push(valueInfo(name, shape));
  }

  encode(opset) {
    const model = ModelProto.create({
      ir_version: 8,
      producer_name: 'ostrel-onnx-peer',
      opset_import: [{ domain: '', version: opset }],
      graph: {
        name: this.name,
        node: this.nodes,
        initializer: this.initializers,
        input: this.inputs,
        output: this.outputs,
      },
    });
    return ModelProto.encode(model).finish();
  }
}

function valueInfo(name, shape) {
  return {
    name,
    type: {
      tensor_type: {
        elem_type: FLOAT,
        shape: { dim: shape.map((d) => (typeof d === 'number' ? { dim_value: d } : { dim_param: d })) },
      },
    },
  };
}

export function floatAttribute(value) {
  return { float: value };
}
